#include "skin/MeterWindow.h"

#include "platform/Profile.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "ui/TextFont.h"

#include <QMouseEvent>
#include <QPainter>

#include <vector>

namespace {

// The window's left edge and width, whatever the state.
constexpr int kLeft = 24;
constexpr int kWidth = 432;
// The spectrum background sits inside the board's frame.
constexpr int kPanelInset = 4;

QColor FromColorRef(uint32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

} // namespace

MeterWindow::MeterWindow(Profile& profile, QWidget* view) : QWidget(view), m_profile(profile) {
    setObjectName(QStringLiteral("Oscilliscope"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_board.LoadImage(u"LevelMeter", u"LevelMeterBoard", 328);
    m_boardLarge.LoadImage(u"LevelMeter", u"LevelMeterBoardLarge", 329);
    m_boardLargest.LoadImage(u"LevelMeter", u"LevelMeterBoardSLarge", 330);
    m_panel.LoadImage(u"LevelMeter", u"LevelMeterPanel", 150);
    m_currentFont = SlotFont(4, m_currentColor);
    m_nextFont = SlotFont(5, m_nextColor);
    m_twoLines = Settings::Get(profile, setting::kTwoLineLyrics) == 1;
    m_returnLine = Settings::Get(profile, setting::kReturnLine) == 1;
    m_spectrum = Settings::Get(profile, NumberSetting{setting::kUseSpectrum.name,
                                                      setting::kUseSpectrumMeterDefault}) == 1;
    const int stored = Settings::Get(profile, setting::kDispState);
    SetState(stored >= 0 && stored <= kNormalBoard ? stored : kNormalBoard);
}

MeterWindow::~MeterWindow() {
    Settings::Set(m_profile, setting::kDispState, m_state);
}

QFont MeterWindow::SlotFont(int slot, QColor& color) const {
    const FontSetting setting = Settings::Font(m_profile, slot);
    QFont font = WithHangul(QFont(QString::fromStdU16String(setting.face)));
    font.setPixelSize(setting.height < 0 ? -setting.height
                                         : (setting.height > 0 ? setting.height : 24));
    font.setBold(setting.Weight() >= 700);
    font.setItalic(setting.Italic());
    font.setUnderline(setting.Underline());
    color = FromColorRef(setting.color);
    return font;
}

void MeterWindow::SetSpectrumAvailable(bool available) {
    m_spectrum = available && m_spectrum;
    if (!m_spectrum && m_state <= kOscilloscope)
        SetState(kNormalBoard);
}

void MeterWindow::SetState(int state) {
    if (!m_spectrum && state <= kOscilloscope)
        state = kNormalBoard;
    m_state = state;
    switch (state) {
    case kLargestBoard:
        setGeometry(kLeft, 242, kWidth, 270);
        break;
    case kLargeBoard:
        setGeometry(kLeft, 350, kWidth, 162);
        break;
    default:
        setGeometry(kLeft, 350, kWidth, 102);
        break;
    }
    update();
    if (m_changed)
        m_changed();
}

MeterWindow::Covers MeterWindow::Covered() const {
    if (m_state == kLargestBoard)
        return Covers::TogglesAndTransport;
    return m_state == kLargeBoard ? Covers::Toggles : Covers::Nothing;
}

// With the spectrum: 0 .. 8, then 11, and the large boards only while the track has timed
// lyrics (then all twelve states in order). Without it: the boards 9, 10, 11 in a ring.
int MeterWindow::NextState(bool forward) const {
    std::vector<int> ring;
    if (m_spectrum) {
        for (int state = 0; state <= kOscilloscope; ++state)
            ring.push_back(state);
        if (m_lyricsHeld) {
            ring.push_back(kLargestBoard);
            ring.push_back(kLargeBoard);
        }
        ring.push_back(kNormalBoard);
    } else {
        ring = {kLargestBoard, kLargeBoard, kNormalBoard};
    }
    size_t at = 0;
    while (at < ring.size() && ring[at] != m_state)
        ++at;
    if (at == ring.size())
        return ring.back();
    const size_t count = ring.size();
    return ring[forward ? (at + 1) % count : (at + count - 1) % count];
}

void MeterWindow::SetLyrics(const QString& current, const QString& next) {
    if (current == m_current && next == m_next)
        return;
    m_current = current;
    m_next = next;
    if (m_state >= kLargestBoard)
        update();
}

QString MeterWindow::Shown(QString line, bool returnLine) {
    if (!returnLine)
        return line;
    for (const char* mark : {" / ", " /", "/ ", "/"})
        line.replace(QLatin1String(mark), QStringLiteral("\n"));
    return line;
}

void MeterWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const SkinManager& background = m_state == kLargestBoard ? m_boardLargest
                                    : m_state == kLargeBoard ? m_boardLarge
                                                             : m_board;
    background.Draw(painter, 0, 0);
    if (m_state <= kOscilloscope) {
        m_panel.Draw(painter, kPanelInset, kPanelInset);
        return;
    }
    if (m_current.isEmpty())
        return;
    // The text rectangle: 6 pixels in from the left, top and bottom, 10 from the right.
    const QRect text = rect().adjusted(6, 6, -10, -6);
    painter.setFont(m_currentFont);
    painter.setPen(m_currentColor);
    QRect used;
    painter.drawText(text, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                     Shown(m_current, m_returnLine), &used);
    if (m_twoLines && !m_next.isEmpty()) {
        painter.setFont(m_nextFont);
        painter.setPen(m_nextColor);
        painter.drawText(text.adjusted(0, used.bottom() - text.top() + 2, 0, 0),
                         Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                         Shown(m_next, m_returnLine));
    }
}

void MeterWindow::mousePressEvent(QMouseEvent* event) {
    if (!m_active || event->button() != Qt::LeftButton)
        return;
    SetState(NextState(event->position().x() >= width() / 2.0));
}
