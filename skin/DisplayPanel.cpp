#include "skin/DisplayPanel.h"

#include "settings/Settings.h"
#include "skin/ImageCells.h"
#include "skin/LevelSource.h"
#include "skin/MuteSwitch.h"
#include "skin/VirtualKey.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

namespace {

// Digit strips: a blank cell, then the digits 0 to 9.
constexpr int kDigitColumns = 11;
constexpr int kQualityRows = 2;
constexpr int kPlayStateRows = 4;
constexpr int kHoldRows = 2;

QString Digits(int value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

DisplayPanel::DisplayPanel(Profile& profile, LevelSource* levels, MuteVolume* volume,
                           QWidget* parent)
    : QWidget(parent), m_profile(profile), m_levels(levels) {
    setObjectName(QStringLiteral("DisplayPanel"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_background.LoadImage(u"DisplayPanel", u"DisplayPanel", 145);
    m_largeDigits.LoadImage(u"DisplayPanel", u"LargeDigital", 141);
    m_smallDigits.LoadImage(u"DisplayPanel", u"SmallDigital", 142);
    m_qualityImage.LoadImage(u"DisplayPanel", u"AudioQuality", 143);
    m_playStateImage.LoadImage(u"DisplayPanel", u"PlayStatus", 144);
    m_vuImage.LoadImage(u"DisplayPanel", u"VUMeter", 153);
    m_holdImage.LoadImage(u"DisplayPanel", u"Hold", 245);

    m_vuOn = Settings::Get(profile, setting::kVUMeter) != 0;
    m_timeMode = Settings::Get(profile, setting::kTimeDisplay) == 1 ? 1 : 0;

    m_mute = new MuteSwitch(profile, volume, this);
    m_mute->setGeometry(kMuteSwitchPlace);
    m_mute->setProperty("controlId", kMuteSwitchId);
}

DisplayPanel::~DisplayPanel() {
    m_blinkTimer.stop();
    Settings::Set(m_profile, setting::kVUMeter, m_vuOn ? 1 : 0);
    Settings::Set(m_profile, setting::kTimeDisplay, m_timeMode);
}

DisplayPanel::ShownTime DisplayPanel::TimeOf(int totalSeconds, int elapsedSeconds, int timeMode) {
    ShownTime time;
    if (totalSeconds <= 0 || totalSeconds < elapsedSeconds)
        return time;
    const int shown = std::max(0, timeMode == 1 ? elapsedSeconds : totalSeconds - elapsedSeconds);
    const int minutes = shown / 60;
    time.seconds = shown % 60;
    time.minutes = minutes % 100;
    time.blink = minutes >= 100;
    return time;
}

int DisplayPanel::DigitColumn(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' + 1 : 0;
}

void DisplayPanel::SetTrackNumber(int number) {
    const QString track = Digits(number % 1000, 3);
    if (track == m_track)
        return;
    m_track = track;
    update(kTrackPlace);
}

bool DisplayPanel::SetQuality(const QString& rate, const QString& bitRate) {
    if (rate.size() != 2 || bitRate.size() < 3 || bitRate.size() > 4)
        return false;
    if (rate != m_rate) {
        m_rate = rate;
        update(kRatePlace);
    }
    if (bitRate != m_bitRate) {
        const QRect oldBitRate = BitRatePlace();
        m_bitRate = bitRate;
        update(oldBitRate.united(BitRatePlace()));
    }
    return true;
}

QRect DisplayPanel::BitRatePlace() const {
    QRect place = kBitRatePlace;
    if (m_bitRate.size() == 4)
        place.setLeft(kBitRateLeft4);
    return place;
}

void DisplayPanel::SetTime(int totalSeconds, int elapsedSeconds) {
    m_total = totalSeconds;
    m_elapsed = elapsedSeconds;
    if (m_streamMode && totalSeconds > 0 && totalSeconds >= elapsedSeconds)
        m_timeMode = 1;
    ApplyTime();
}

// Only the digits that change are drawn again.
void DisplayPanel::ApplyTime() {
    const ShownTime before = m_time;
    m_time = TimeOf(m_total, m_elapsed, m_timeMode);
    if (m_time.blink) {
        if (!m_blinkTimer.isActive()) {
            m_blinkHidden = false;
            m_blinkTimer.start(kBlinkMilliseconds, this);
        }
    } else {
        m_blinkTimer.stop();
        m_blinkHidden = false;
    }
    if (!m_active)
        return;
    if (m_time.minutes != before.minutes)
        update(kMinutesPlace);
    if (m_time.seconds != before.seconds)
        update(kSecondsPlace);
}

void DisplayPanel::SetPlayState(int state) {
    state = std::clamp(state, 0, kPlayStateRows - 1);
    if (state == m_playState)
        return;
    m_playState = state;
    update(kPlayStatePlace);
}

void DisplayPanel::SetAudioQuality(int quality) {
    if (quality == m_quality)
        return;
    m_quality = quality;
    update(kQualityPlace);
}

void DisplayPanel::SetHold(int hold) {
    hold = hold ? 1 : 0;
    if (hold == m_hold)
        return;
    m_hold = hold;
    update(kHoldPlace);
}

void DisplayPanel::SetActive(bool on) {
    if (on == m_active)
        return;
    m_active = on;
    m_mute->SetActive(on);
    update();
}

// The view sets exactly one of playing, paused and stopped; setting one clears the others. The
// meter's values go when it stops.
// The play state shows through its own indicator, so only the meter may need drawing again.
void DisplayPanel::SetPlaying(bool on) {
    const VuMeter before = m_meter;
    m_playing = on;
    if (on)
        m_paused = m_stopped = false;
    else
        m_meter.Clear();
    m_mute->SetPlaying(on);
    UpdateVu(before);
}

void DisplayPanel::SetPaused(bool on) {
    const VuMeter before = m_meter;
    m_paused = on;
    if (on) {
        m_stopped = false;
        m_meter.Clear();
    }
    m_mute->SetPaused(on);
    UpdateVu(before);
}

void DisplayPanel::SetStopped(bool on) {
    const VuMeter before = m_meter;
    m_stopped = on;
    if (on) {
        m_playing = m_paused = false;
        m_meter.Clear();
    }
    m_mute->SetStopped(on);
    UpdateVu(before);
}

void DisplayPanel::SetVUMeter(bool on) {
    m_vuOn = on;
    if (m_levels) {
        if (on)
            m_levels->StartLevels();
        else
            m_levels->StopLevels();
    }
    const VuMeter before = m_meter;
    if (!on)
        m_meter.Clear();
    UpdateVu(before);
}

void DisplayPanel::LevelStep() {
    if (!m_vuOn || !MeterRunning())
        return;
    float left = 0.0f;
    float right = 0.0f;
    if (!m_levels || !m_levels->Levels(left, right))
        left = right = 0.0f;
    const VuMeter before = m_meter;
    m_meter.Step(VuMeter::Segments(left), VuMeter::Segments(right));
    UpdateVu(before);
}

void DisplayPanel::SetClosing(bool closing) {
    m_mute->SetClosing(closing);
}

QRect DisplayPanel::VuChannelPlace(int channel) const {
    const QSize size = SkinSize(m_vuImage.GetBitmap());
    return QRect(channel == 0 ? kVuLeft : kVuRight, QSize(size.width(), size.height() / 2));
}

// The segments between the old and the new bar end, and the old and new peak segments; nothing
// when the meter shows what it showed (silence that stays silence, for one).
void DisplayPanel::UpdateVu(const VuMeter& before) {
    const QImage& image = m_vuImage.GetBitmap();
    if (image.isNull())
        return;
    const int segment = SkinSize(image).width() / VuMeter::kSegments;
    for (int channel = 0; channel < 2; ++channel) {
        const QRect place = VuChannelPlace(channel);
        // Segments first to last - 1, counted from the left of the channel.
        const auto segments = [&](int first, int last) {
            return QRect(place.left() + first * segment, place.top(), (last - first) * segment,
                         place.height());
        };
        QRect changed;
        const int oldShown = before.Shown(channel);
        const int newShown = m_meter.Shown(channel);
        if (oldShown != newShown)
            changed = segments(std::min(oldShown, newShown), std::max(oldShown, newShown));
        const int oldPeak = before.Peak(channel);
        const int newPeak = m_meter.Peak(channel);
        if (oldPeak != newPeak) {
            if (oldPeak > 0)
                changed = changed.united(segments(oldPeak - 1, oldPeak));
            if (newPeak > 0)
                changed = changed.united(segments(newPeak - 1, newPeak));
        }
        if (!changed.isEmpty())
            update(changed);
    }
}

bool DisplayPanel::event(QEvent* event) {
    if (const WindowMessageEvent* message = WindowMessageEvent::From(event)) {
        if (message->message == kLevelStepMessage) {
            LevelStep();
            return true;
        }
    }
    return QWidget::event(event);
}

void DisplayPanel::DrawDigits(QPainter& painter, const SkinManager& strip, QPoint at,
                              const QString& text) const {
    const ImageCells cells = ImageCells::Of(strip.GetBitmap(), kDigitColumns, 1);
    for (int i = 0; i < text.size(); ++i)
        cells.Draw(painter, at + QPoint(i * cells.width, 0), strip.GetBitmap(),
                   DigitColumn(text[i]), 0);
}

void DisplayPanel::DrawRow(QPainter& painter, const SkinManager& image, QPoint at, int rows,
                           int row) const {
    ImageCells::Of(image.GetBitmap(), 1, rows).Draw(painter, at, image.GetBitmap(), 0, row);
}

// The unlit bar, `shown` segments of the lit bar from the left, and the lit peak segment.
void DisplayPanel::DrawVuChannel(QPainter& painter, QPoint at, int shown, int peak) const {
    const QImage& image = m_vuImage.GetBitmap();
    if (image.isNull())
        return;
    const QSize size = SkinSize(image);
    const int segment = size.width() / VuMeter::kSegments;
    const int half = size.height() / 2;
    DrawSkinPart(painter, at, image, QRect(0, 0, size.width(), half));
    if (shown > 0)
        DrawSkinPart(painter, at, image, QRect(0, half, shown * segment, half));
    if (peak > 0) {
        const int x = (peak - 1) * segment;
        DrawSkinPart(painter, at + QPoint(x, 0), image, QRect(x, half, segment, half));
    }
}

void DisplayPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    m_background.Draw(painter, 0, 0);
    if (!m_active)
        return;

    DrawDigits(painter, m_largeDigits, kTrackPlace.topLeft(), m_track);
    if (!m_blinkHidden)
        DrawDigits(painter, m_largeDigits, kMinutesPlace.topLeft(), Digits(m_time.minutes, 2));
    DrawDigits(painter, m_largeDigits, kSecondsPlace.topLeft(), Digits(m_time.seconds, 2));
    DrawDigits(painter, m_smallDigits, kRatePlace.topLeft(), m_rate);
    DrawDigits(painter, m_smallDigits, BitRatePlace().topLeft(), m_bitRate);

    DrawRow(painter, m_qualityImage, kQualityPlace.topLeft(), kQualityRows, m_quality == 1 ? 0 : 1);
    DrawRow(painter, m_playStateImage, kPlayStatePlace.topLeft(), kPlayStateRows, m_playState);
    DrawRow(painter, m_holdImage, kHoldPlace.topLeft(), kHoldRows, m_hold);

    DrawVuChannel(painter, kVuLeft, m_meter.Shown(0), m_meter.Peak(0));
    DrawVuChannel(painter, kVuRight, m_meter.Shown(1), m_meter.Peak(1));
}

void DisplayPanel::mousePressEvent(QMouseEvent* event) {
    if (!m_active)
        return;
    const QPoint point = event->position().toPoint();
    if (kVuArea.contains(point)) {
        SetVUMeter(!m_vuOn);
    } else if (kTimeArea.contains(point)) {
        m_timeMode = m_streamMode ? 1 : 1 - m_timeMode;
        ApplyTime();
    }
}

void DisplayPanel::keyPressEvent(QKeyEvent* event) {
    ForwardKeyToParent(this, *event);
}

void DisplayPanel::keyReleaseEvent(QKeyEvent* event) {
    ForwardKeyToParent(this, *event);
}

void DisplayPanel::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_blinkTimer.timerId()) {
        m_blinkHidden = !m_blinkHidden;
        update(kMinutesPlace);
        return;
    }
    QWidget::timerEvent(event);
}
