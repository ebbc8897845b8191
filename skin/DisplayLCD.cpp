#include "skin/DisplayLCD.h"

#include "settings/Settings.h"
#include "skin/VirtualKey.h"
#include "ui/TextFont.h"
#include "ui/WindowMessage.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QtMath>

namespace {

constexpr int kFontSlot = 1;
constexpr int kFontPixels = 22;
// The text stands this far from the left edge of its picture; its shadow 2 pixels further right
// and lower.
constexpr int kTextLeft = 4;
constexpr int kShadowOffset = 2;
// The picture is this much wider than the text.
constexpr int kPictureMargin = 10;

} // namespace

DisplayLCD::DisplayLCD(Profile& profile, QWidget* parent) : QWidget(parent), m_profile(profile) {
    setObjectName(QStringLiteral("DisplayLCD"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_background.GetColor(u"Title", u"BackgroundColor", Rgb(107, 115, 140));
    m_textColor.GetColor(u"Title", u"TextColor", Rgb(227, 220, 255));
    m_shadowColor.GetColor(u"Title", u"BackTextColor", Rgb(64, 80, 111));

    TakeFont();

    m_scrollEnabled = Settings::Get(profile, setting::kScrollMsg) != 0;
    m_showTags = Settings::Get(profile, setting::kDispID3) != 0;
}

void DisplayLCD::TakeFont() {
    const FontSetting font = Settings::Font(m_profile, kFontSlot);
    const QString face = QString::fromStdU16String(font.face);
    m_font = WithHangul(QFont(face));
    m_font.setPixelSize(kFontPixels);
    m_font.setBold(font.Weight() >= 700);
    m_font.setItalic(font.Italic());
    m_font.setUnderline(font.Underline());
    // Smoothed text only when the font slot asks for it.
    m_font.setStyleStrategy(font.ClearType() ? QFont::PreferAntialias : QFont::NoAntialias);
    m_tahoma = face.compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) == 0;
}

void DisplayLCD::ReloadFont() {
    TakeFont();
    if (!m_line.isEmpty())
        LayoutLine();
    if (m_temporary) {
        Render(m_status);
        update();
    }
}

DisplayLCD::~DisplayLCD() {
    Settings::Set(m_profile, setting::kDispID3, m_showTags ? 1 : 0);
}

std::u16string DisplayLCD::BuildLine(const FileInfo& entry, bool showTags) {
    std::u16string line;
    if (showTags) {
        if (!entry.artist.empty())
            line += u"<" + entry.artist + u">";
        if (!entry.title.empty()) {
            if (!line.empty())
                line += u" ";
            line += entry.title;
        }
        if (!entry.album.empty())
            line += u" @ " + entry.album;
    }
    if (line.empty())
        line = entry.name;
    if (!entry.playTime.empty() && entry.playTime != u"00:00")
        line += u" [" + entry.playTime + u"]";
    return line;
}

// The same line again changes nothing: it keeps its place in the scroll.
void DisplayLCD::SetText(const QString& text) {
    if (text.isEmpty() || (text == m_line && size() == m_layoutSize))
        return;
    m_line = text;
    LayoutLine();
}

void DisplayLCD::SetTrackInfo(const FileInfo& entry) {
    m_entry = entry;
    m_hasEntry = true;
    SetText(QString::fromStdU16String(BuildLine(entry, m_showTags)));
}

// The same status again only starts its time over.
void DisplayLCD::ShowStatus(const QString& text, int milliseconds) {
    const bool shown = m_temporary && text == m_status;
    m_temporary = true;
    m_status = text;
    m_statusSteps = 0;
    m_statusMilliseconds = milliseconds;
    if (!shown) {
        Render(m_status);
        update();
    }
    if (!m_scrollEnabled)
        m_statusTimer.start(milliseconds, this);
}

void DisplayLCD::SetScroll(bool on) {
    m_scrollEnabled = on;
    if (!m_line.isEmpty())
        LayoutLine();
    // A status text waiting for scroll steps that will no longer come waits for its time.
    if (m_temporary && !on && !m_statusTimer.isActive())
        m_statusTimer.start(m_statusMilliseconds, this);
}

void DisplayLCD::ScrollStep() {
    if (m_closing)
        return;
    if (m_temporary) {
        if (++m_statusSteps >= kStatusSteps)
            ReturnFromStatus();
        return;
    }
    if (m_scroll.Step())
        update();
}

int DisplayLCD::MeasureWidth(const QString& text) const {
    return QFontMetrics(m_font).horizontalAdvance(text);
}

// A new line is laid out at once; while a status text is up it shows when the status goes.
void DisplayLCD::LayoutLine() {
    m_lineWidth = MeasureWidth(m_line);
    m_layoutSize = size();
    m_scroll.Layout(m_lineWidth, width(), m_scrollEnabled);
    if (!m_temporary) {
        Render(m_line);
        update();
    }
}

void DisplayLCD::Render(const QString& text) {
    const QFontMetrics metrics(m_font);
    const int textWidth = metrics.horizontalAdvance(text);
    const int textHeight = metrics.height();
    const int pictureHeight = std::max(1, height());
    // Drawn at the screen's density: the text is set in device pixels, not enlarged.
    const qreal ratio = devicePixelRatioF();
    m_picture = QImage(qCeil((textWidth + kPictureMargin) * ratio), qCeil(pictureHeight * ratio),
                       QImage::Format_RGB32);
    m_picture.setDevicePixelRatio(ratio);
    m_picture.fill(m_background.QtColor());

    QPainter painter(&m_picture);
    painter.setFont(m_font);
    const int y = pictureHeight / 2 - textHeight / 2;
    // The shadow is always 2 pixels right of and below the text; which of the two stands on the
    // centred line depends on the face.
    const int textY = m_tahoma ? y - kShadowOffset : y;
    const int shadowY = textY + kShadowOffset;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.setPen(m_shadowColor.QtColor());
    painter.drawText(
        QRect(kTextLeft + kShadowOffset, shadowY, textWidth + kPictureMargin, textHeight), flags,
        text);
    painter.setPen(m_textColor.QtColor());
    painter.drawText(QRect(kTextLeft, textY, textWidth + kPictureMargin, textHeight), flags, text);
}

void DisplayLCD::ReturnFromStatus() {
    m_statusTimer.stop();
    m_temporary = false;
    m_status.clear();
    Render(m_line);
    update();
}

bool DisplayLCD::event(QEvent* event) {
    if (const WindowMessageEvent* message = WindowMessageEvent::From(event)) {
        if (message->message == kScrollStepMessage) {
            ScrollStep();
            return true;
        }
    }
    return QWidget::event(event);
}

void DisplayLCD::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background.QtColor());
    if (m_picture.isNull())
        return;
    // On a screen of another density the text is set again for it.
    if (m_picture.devicePixelRatio() != devicePixelRatioF())
        Render(m_temporary ? m_status : m_line);
    if (m_temporary) {
        painter.drawImage(0, 0, m_picture);
        return;
    }
    painter.drawImage(m_scroll.X1(), 0, m_picture);
    if (m_scroll.Scrolling())
        painter.drawImage(m_scroll.X2(), 0, m_picture);
}

void DisplayLCD::mouseDoubleClickEvent(QMouseEvent*) {
    if (m_temporary || !m_hasEntry)
        return;
    m_showTags = !m_showTags;
    SetTrackInfo(m_entry);
    Settings::Set(m_profile, setting::kDispID3, m_showTags ? 1 : 0);
}

void DisplayLCD::keyPressEvent(QKeyEvent* event) {
    ForwardKeyToParent(this, *event);
}

void DisplayLCD::keyReleaseEvent(QKeyEvent* event) {
    ForwardKeyToParent(this, *event);
}

void DisplayLCD::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_statusTimer.timerId()) {
        ReturnFromStatus();
        return;
    }
    QWidget::timerEvent(event);
}

// Qt also sends resize events that change nothing (before a first grab, for one); only a new size
// lays the line out again.
void DisplayLCD::resizeEvent(QResizeEvent*) {
    if (size() == m_layoutSize)
        return;
    if (!m_line.isEmpty())
        LayoutLine();
    if (m_temporary)
        Render(m_status);
}
