#include "skin/MuteSwitch.h"

#include "settings/Settings.h"
#include "skin/ImageCells.h"
#include "skin/MuteVolume.h"
#include "skin/VirtualKey.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

MuteSwitch::MuteSwitch(Profile& profile, MuteVolume* volume, QWidget* parent)
    : QWidget(parent), m_profile(profile), m_volume(volume) {
    setObjectName(QStringLiteral("MuteSwitch"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_speaker.LoadImage(u"DisplayPanel", u"Speaker", 152);
}

// The run-time library's channel volume is kept only when the volume control works on it
// rather than on the system volume.
bool MuteSwitch::KeepsLibraryVolume() {
    return Settings::Get(m_profile, setting::kUseSystemVolume) == 0;
}

void MuteSwitch::SetMute(bool on) {
    if (on == m_muted)
        return;
    const int shown = ShownFrame();
    m_muted = on;
    if (m_volume) {
        if (on) {
            m_savedWaveOutVolume = m_volume->WaveOutVolume();
            m_volume->SetWaveOutVolume(0);
            if (KeepsLibraryVolume())
                m_savedLibraryVolume = m_volume->LibraryVolume();
        } else {
            m_volume->SetWaveOutVolume(m_savedWaveOutVolume);
            if (KeepsLibraryVolume())
                m_volume->SetLibraryVolume(m_savedLibraryVolume);
        }
    }
    UpdateIfChanged(shown);
}

void MuteSwitch::TakeOver(const Muted& kept) {
    const int shown = ShownFrame();
    m_muted = kept.on;
    m_savedWaveOutVolume = kept.waveOutVolume;
    m_savedLibraryVolume = kept.libraryVolume;
    UpdateIfChanged(shown);
}

void MuteSwitch::AnimateStep() {
    if (m_closing || !Animating())
        return;
    const int shown = ShownFrame();
    m_shownFrame = m_frame;
    m_frame = (m_frame + 1) % kFrames;
    UpdateIfChanged(shown);
}

void MuteSwitch::SetActive(bool on) {
    const int shown = ShownFrame();
    m_active = on;
    UpdateIfChanged(shown);
}

// Play, pause and stop exclude each other: setting one clears the others.
void MuteSwitch::SetPlaying(bool on) {
    const int shown = ShownFrame();
    m_playing = on;
    if (on)
        m_paused = false;
    UpdateIfChanged(shown);
}

void MuteSwitch::SetPaused(bool on) {
    const int shown = ShownFrame();
    m_paused = on;
    UpdateIfChanged(shown);
}

void MuteSwitch::SetStopped(bool on) {
    const int shown = ShownFrame();
    if (on) {
        m_playing = false;
        m_paused = false;
    }
    UpdateIfChanged(shown);
}

// The switch draws frame 0 and, while animating, the frame shown: nothing else changes it.
void MuteSwitch::UpdateIfChanged(int shownBefore) {
    if (ShownFrame() != shownBefore)
        update();
}

bool MuteSwitch::event(QEvent* event) {
    if (const WindowMessageEvent* message = WindowMessageEvent::From(event)) {
        if (message->message == kAnimateMessage) {
            AnimateStep();
            return true;
        }
    }
    return QWidget::event(event);
}

void MuteSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& image = m_speaker.GetBitmap();
    if (image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const ImageCells cells = ImageCells::Of(image, kFrames, 1);
    cells.Draw(painter, QPoint(0, 0), image, 0, 0);
    if (Animating())
        cells.Draw(painter, QPoint(0, 0), image, m_shownFrame, 0);
}

void MuteSwitch::mousePressEvent(QMouseEvent*) {
    if (!m_active)
        return;
    SetMute(!m_muted);
}

void MuteSwitch::keyPressEvent(QKeyEvent* event) {
    ForwardKeyToParent(this, *event);
}

void MuteSwitch::keyReleaseEvent(QKeyEvent* event) {
    ForwardKeyToParent(this, *event);
}
