#include "skin/MeterWindow.h"

#include "platform/Profile.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "ui/TextFont.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The window's left edge and width, whatever the state.
constexpr int kLeft = 24;
constexpr int kWidth = 432;
// The spectrum background sits inside the board's frame.
constexpr int kPanelInset = 4;
// The drawing surface, and where the bars start on it.
constexpr int kSurfaceWidth = 424;
constexpr int kSurfaceHeight = 94;
constexpr int kFirstBarX = 4;
constexpr int kTopOnlyRows = 4;
constexpr int kMarkerRows = 4;
// The mixer's block and buffer until the feed says otherwise.
constexpr int kDefaultBlockFrames = 1024;
constexpr int kDefaultTotalFrames = 2048;

// An image as 32-bit pixels of exactly width x height; what the source lacks stays black.
QImage Fitted(const QImage& source, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    if (!source.isNull()) {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, source);
    }
    return image;
}

QColor FromColorRef(uint32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

} // namespace

MeterWindow::MeterWindow(Profile& profile, QWidget* view) : QWidget(view), m_profile(profile) {
    setObjectName(QStringLiteral("Oscilliscope"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    {
        SkinManager strip;
        strip.GetColor(u"LevelMeter", u"OscilliscopeColor", 0xFFFF00); // 0,255,255
        m_scopeColor = strip.QtColor();
    }
    SetMixFrames(kDefaultBlockFrames, kDefaultTotalFrames);
    SetUpdateInterval(Settings::Get(profile, NumberSetting{setting::kUpdateInterval.name,
                                                           setting::kUpdateIntervalMeterDefault}));
    m_currentFont = SlotFont(4, m_currentColor);
    m_nextFont = SlotFont(5, m_nextColor);
    m_twoLines = Settings::Get(profile, setting::kTwoLineLyrics) == 1;
    m_returnLine = Settings::Get(profile, setting::kReturnLine) == 1;
    // The stored value; a first start, before anything is stored, takes the player's default.
    m_spectrum = Settings::Get(profile, setting::kUseSpectrum) == 1;
    const int stored = Settings::Get(profile, setting::kDispState);
    SetState(stored >= 0 && stored <= kNormalBoard ? stored : kNormalBoard);
}

MeterWindow::~MeterWindow() {
    Settings::Set(m_profile, setting::kDispState, m_state);
}

void MeterWindow::ReloadFonts() {
    m_currentFont = SlotFont(4, m_currentColor);
    m_nextFont = SlotFont(5, m_nextColor);
    update();
}

QFont MeterWindow::SlotFont(int slot, QColor& color) const {
    const FontSetting setting = Settings::Font(m_profile, slot);
    QFont font = FontOf(setting, 24);
    color = FromColorRef(setting.color);
    return font;
}

void MeterWindow::SetSpectrumAvailable(bool available) {
    m_spectrum = available;
    if (!m_spectrum && m_state <= kOscilloscope)
        SetState(kNormalBoard);
}

void MeterWindow::SetUpdateInterval(int interval) {
    m_bars.SetUpdateInterval(interval);
}

void MeterWindow::SetMixFrames(int blockFrames, int totalFrames) {
    if (m_scope && m_scope->BlockFrames() == blockFrames &&
        m_scope->Blocks() == std::max(totalFrames / std::max(blockFrames, 1), 1))
        return;
    m_scope = std::make_unique<ScopeRing>(blockFrames, totalFrames);
}

void MeterWindow::SetActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    if (!active)
        Wipe();
}

void MeterWindow::SetPlaying(bool playing, bool wipe) {
    m_playing = playing;
    m_bars.SetPlaying(playing);
    m_resting = false; // playing, or falling to rest
    if (playing || !wipe)
        return;
    Wipe();
    SetLyrics({}, {});
}

bool MeterWindow::WantsBlocks() const {
    return m_spectrum && Moving() && m_active && !m_resting;
}

// Bars, peaks, the oscilloscope's ring and the surface back to clean; unless something plays,
// the window rests until it does.
void MeterWindow::Wipe() {
    m_resting = !m_playing;
    m_bars.Reset();
    m_scope->Clear();
    m_drawDue = false;
    m_drawn.clear();
    if (!m_surface.isNull())
        std::memcpy(m_surface.bits(), m_clean.constBits(),
                    static_cast<size_t>(m_clean.sizeInBytes()));
    if (Moving())
        update(QRect(kPanelInset, kPanelInset, kSurfaceWidth, kSurfaceHeight));
}

void MeterWindow::Feed(const float* bands, int bandCount, const int16_t* mono, int frames) {
    if (!Moving() || !m_active)
        return;
    m_bars.Feed(bands, bands ? bandCount : 0);
    if (m_state == kOscilloscope)
        m_scope->PushMono(mono, frames);
    if (!m_playing && m_bars.AtRest()) {
        // Everything fell: the hooks go off (the view asks WantsBlocks) and the surface is clean.
        Wipe();
        return;
    }
    m_drawDue = m_drawDue || m_bars.DrawingTurn();
}

void MeterWindow::FlushDrawing() {
    if (!m_drawDue)
        return;
    m_drawDue = false;
    // What the picture shows, to skip a drawing that would change nothing.
    std::vector<int> shown;
    std::vector<ScopeRing::Line> lines;
    if (m_state == kOscilloscope) {
        lines = m_scope->Rows(kSurfaceWidth);
        for (const ScopeRing::Line& line : lines) {
            shown.push_back(line.from);
            shown.push_back(line.to);
        }
    } else {
        shown.push_back(m_state);
        for (int i = 0; i < m_bars.BarCount(); ++i) {
            shown.push_back(m_bars.Height(i));
            shown.push_back(m_bars.MarkerVisible(i) ? m_bars.MarkerRow(i) : -1);
        }
    }
    if (shown == m_drawn)
        return;
    m_drawn = std::move(shown);
    std::memcpy(m_surface.bits(), m_clean.constBits(), static_cast<size_t>(m_clean.sizeInBytes()));
    if (m_state == kOscilloscope)
        DrawScope(lines);
    else
        DrawBars();
    update(QRect(kPanelInset, kPanelInset, kSurfaceWidth, kSurfaceHeight));
}

void MeterWindow::CopyStripRows(int x, int width, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, kSurfaceHeight);
    width = std::min({width, m_stripImage.width(), kSurfaceWidth - x});
    if (from >= to || width <= 0)
        return;
    const size_t bytes = static_cast<size_t>(width) * 4;
    for (int row = from; row < to; ++row) {
        const int y = kSurfaceHeight - 1 - row; // rows count from the bottom
        std::memcpy(m_surface.scanLine(y) + static_cast<size_t>(x) * 4,
                    m_stripImage.constScanLine(y), bytes);
    }
}

void MeterWindow::DrawBars() {
    const int width = m_bars.BarWidth();
    for (int i = 0; i < m_bars.BarCount(); ++i) {
        const int x = kFirstBarX + i * m_bars.BarPitch();
        if (x >= kSurfaceWidth)
            break;
        const int height = m_bars.Height(i);
        if (m_bars.TopOnly())
            CopyStripRows(x, width, height - kTopOnlyRows, height);
        else
            CopyStripRows(x, width, 0, height);
        if (m_bars.MarkerVisible(i)) {
            const int row = m_bars.MarkerRow(i);
            CopyStripRows(x, width, row - kMarkerRows + 1, row + 1);
        }
    }
}

// A vertical line two pixels wide in each column, between the rows of the column's sample and of
// the one a step later.
void MeterWindow::DrawScope(const std::vector<ScopeRing::Line>& lines) {
    const QRgb color = m_scopeColor.rgb();
    for (int x = 0; x < static_cast<int>(lines.size()); ++x) {
        const int low = std::clamp(std::min(lines[x].from, lines[x].to), 0, kSurfaceHeight - 1);
        const int high = std::clamp(std::max(lines[x].from, lines[x].to), 0, kSurfaceHeight - 1);
        for (int row = low; row <= high; ++row) {
            auto* pixels = reinterpret_cast<QRgb*>(m_surface.scanLine(kSurfaceHeight - 1 - row));
            pixels[x] = color;
            if (x + 1 < kSurfaceWidth)
                pixels[x + 1] = color;
        }
    }
}

// The surfaces of the moving states are made when one is shown and go on a board.
void MeterWindow::PrepareSurface(bool moving) {
    if (!moving) {
        m_surface = m_clean = m_stripImage = QImage();
        return;
    }
    if (!m_surface.isNull())
        return;
    // The panel and the strip are only copied into the surfaces.
    SkinManager panel;
    panel.LoadImage(u"LevelMeter", u"LevelMeterPanel", 150);
    SkinManager strip;
    strip.LoadImage(u"LevelMeter", u"SmallLevelMeter", 149);
    m_clean = Fitted(panel.GetBitmap(), kSurfaceWidth, kSurfaceHeight);
    m_surface = m_clean.copy();
    m_stripImage = Fitted(strip.GetBitmap(), std::min(strip.Width(), 20), kSurfaceHeight);
}

void MeterWindow::SetState(int state) {
    if (!m_spectrum && state <= kOscilloscope)
        state = kNormalBoard;
    PrepareSurface(state <= kOscilloscope);
    if (state != m_state || state <= kOscilloscope) {
        m_state = state;
        if (state < kOscilloscope)
            m_bars.SetStyle(state);
        Wipe();
    }
    m_state = state;
    const int boardId = state == kLargestBoard ? 330 : state == kLargeBoard ? 329 : 328;
    if (boardId != m_boardId) {
        m_boardId = boardId;
        m_board.LoadImage(u"LevelMeter",
                          boardId == 330   ? u"LevelMeterBoardSLarge"
                          : boardId == 329 ? u"LevelMeterBoardLarge"
                                           : u"LevelMeterBoard",
                          boardId);
    }
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

void MeterWindow::SetLyrics(const QString& current, const QString& next, int sung) {
    if (current == m_current && next == m_next && sung == m_sung)
        return;
    m_current = current;
    m_next = next;
    m_sung = sung;
    if (m_state >= kLargestBoard)
        update();
}

void MeterWindow::SetLyricsLayout(bool twoLines, bool returnLine) {
    m_twoLines = twoLines;
    m_returnLine = returnLine;
    update();
}

QString MeterWindow::Shown(QString line, bool returnLine) {
    if (!returnLine)
        return line;
    for (const char* mark : {" / ", " /", "/ ", "/"})
        line.replace(QLatin1String(mark), QStringLiteral("\n"));
    return line;
}

void MeterWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const SkinManager& background = m_board;
    const QRect surface(kPanelInset, kPanelInset, kSurfaceWidth, kSurfaceHeight);
    // A new picture of the bars repaints only the surface, which covers the board there.
    if (!Moving() || !surface.contains(event->rect()))
        background.Draw(painter, 0, 0);
    if (Moving()) {
        painter.drawImage(kPanelInset, kPanelInset, m_surface);
        return;
    }
    if (m_current.isEmpty())
        return;
    // The text rectangle: 6 pixels in from the left, top and bottom, 10 from the right.
    const QRect text = rect().adjusted(6, 6, -10, -6);
    painter.setFont(m_currentFont);
    painter.setPen(m_currentColor);
    QRect used;
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    if (m_sung < 0) {
        painter.drawText(text, flags, Shown(m_current, m_returnLine), &used);
    } else {
        // The words still to come dimmed, then the words sung over them: a beginning of a line
        // wraps as the whole line does, so the two drawings meet.
        QColor dim = m_currentColor;
        dim.setAlpha(110);
        painter.setPen(dim);
        painter.drawText(text, flags, Shown(m_current, m_returnLine), &used);
        painter.setPen(m_currentColor);
        painter.drawText(text, flags, Shown(m_current.left(m_sung), m_returnLine));
    }
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
