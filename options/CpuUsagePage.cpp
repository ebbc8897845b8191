#include "options/CpuUsagePage.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

namespace {

// COLORREF values of the graph: grid dark green, processor green, memory yellow, library cyan.
const QColor kGridColor(0, 0x7F, 0);
const QColor kCpuColor(0, 0xFF, 0);
const QColor kMemoryColor(0xFF, 0xFF, 0);
const QColor kLibraryColor(0, 0xFF, 0xFF);

// The graph: the page draws it.
class Graph : public QWidget {
public:
    explicit Graph(const CpuUsagePage& page, QWidget* parent) : QWidget(parent), m_page(page) {
        setMinimumSize(240, 120);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_page.DrawGraph(painter, rect());
    }

private:
    const CpuUsagePage& m_page;
};

} // namespace

CpuUsagePage::CpuUsagePage(LibraryUsage libraryUsage, QWidget* parent)
    : OptionsPage(parent), m_libraryUsage(std::move(libraryUsage)), m_graph(new Graph(*this, this)),
      m_figures(new QLabel(this)) {
    m_figures->setObjectName("ResourceFigures");
    m_figures->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_graph, 1);
    layout->addWidget(m_figures);
    m_figures->setText(Figures(0, 0, SystemMemory().value_or(Memory{})));
    setWindowTitle(Title(ResidentKb()));
}

int CpuUsagePage::CpuPercent(int64_t cpuMs, int64_t wallMs) {
    if (wallMs <= 0 || cpuMs <= 0)
        return 0;
    return static_cast<int>(std::min<int64_t>(100, cpuMs * 100 / wallMs));
}

int CpuUsagePage::MemoryLoad(const Memory& memory) {
    if (memory.totalKb <= 0)
        return 0;
    return static_cast<int>(std::clamp<int64_t>(memory.usedKb * 100 / memory.totalKb, 0, 100));
}

std::optional<CpuUsagePage::Memory> CpuUsagePage::ParseMemInfo(const QString& text) {
    static const QRegularExpression line(QStringLiteral("^(\\w+):\\s+(\\d+) kB$"),
                                         QRegularExpression::MultilineOption);
    int64_t total = -1;
    int64_t available = -1;
    for (const QRegularExpressionMatch& match : line.globalMatch(text)) {
        if (match.captured(1) == QLatin1String("MemTotal"))
            total = match.captured(2).toLongLong();
        else if (match.captured(1) == QLatin1String("MemAvailable"))
            available = match.captured(2).toLongLong();
    }
    if (total <= 0 || available < 0)
        return std::nullopt;
    return Memory{std::max<int64_t>(0, total - available), total};
}

int CpuUsagePage::PlotY(int top, int height, int value) {
    return top + (100 - value) * (height - 1) / 100;
}

QString CpuUsagePage::Figures(int cpu, int library, const Memory& memory) {
    return QString::asprintf(
        tr("CPU Usage\t: %d%% (%d%%)\nMemory Used\t: %dKB/%dKB").toUtf8().constData(), cpu, library,
        static_cast<int>(memory.usedKb), static_cast<int>(memory.totalKb));
}

QString CpuUsagePage::Title(std::optional<int64_t> residentKb) {
    if (!residentKb)
        return tr("Resource Usage");
    return QString::asprintf(tr("Resource Usage (Sonvale: %d KB)").toUtf8().constData(),
                             static_cast<int>(*residentKb));
}

// On the handheld the processor use was what an idle-priority spinning thread did not get; here
// the process's own processor time over the wall time stands for it, so no such thread runs.
void CpuUsagePage::Measure() {
    const int64_t cpuMs = ProcessCpuMs();
    const int64_t wallMs = WallMs();
    const int cpu = CpuPercent(cpuMs - m_lastCpuMs, wallMs - m_lastWallMs);
    m_lastCpuMs = cpuMs;
    m_lastWallMs = wallMs;
    const int library =
        m_libraryUsage ? std::clamp(static_cast<int>(m_libraryUsage() + 0.5f), 0, 100) : 0;
    AddSample(cpu, library, SystemMemory().value_or(Memory{}));
    setWindowTitle(Title(ResidentKb()));
}

void CpuUsagePage::AddSample(int cpu, int library, const Memory& memory) {
    Push(m_cpu, std::clamp(cpu, 0, 100));
    Push(m_library, std::clamp(library, 0, 100));
    Push(m_memory, MemoryLoad(memory));
    ++m_ticks;
    m_figures->setText(Figures(cpu, library, memory));
    m_graph->update();
}

void CpuUsagePage::Push(std::array<int, kHistory>& history, int value) {
    std::move(history.begin() + 1, history.end(), history.begin());
    history.back() = value;
}

// The grid moves with the values, 2 pixels a tick; the newest value stands at the right edge.
void CpuUsagePage::DrawGraph(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, Qt::black);
    painter.setPen(kGridColor);
    const int shift = static_cast<int>((m_ticks * kStep) % kGrid);
    for (int x = area.right() - (kGrid - 1 - shift) % kGrid; x >= area.left(); x -= kGrid)
        painter.drawLine(x, area.top(), x, area.bottom());
    for (int y = area.bottom(); y >= area.top(); y -= kGrid)
        painter.drawLine(area.left(), y, area.right(), y);

    const auto draw = [&](const std::array<int, kHistory>& history, const QColor& color) {
        painter.setPen(color);
        QPolygon line;
        for (int i = 0; i < kHistory; ++i) {
            const int x = area.right() - i * kStep;
            line << QPoint(x, PlotY(area.top(), area.height(), history[kHistory - 1 - i]));
            if (x < area.left())
                break;
        }
        painter.drawPolyline(line);
    };
    draw(m_cpu, kCpuColor);
    draw(m_memory, kMemoryColor);
    draw(m_library, kLibraryColor);
}

void CpuUsagePage::showEvent(QShowEvent* event) {
    OptionsPage::showEvent(event);
    if (m_timer.isActive())
        return;
    m_lastCpuMs = ProcessCpuMs();
    m_lastWallMs = WallMs();
    m_timer.start(kTickMs, this);
}

void CpuUsagePage::hideEvent(QHideEvent* event) {
    m_timer.stop();
    OptionsPage::hideEvent(event);
}

void CpuUsagePage::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId())
        Measure();
    else
        OptionsPage::timerEvent(event);
}

int64_t CpuUsagePage::ProcessCpuMs() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    const auto ms = [](const timeval& time) {
        return static_cast<int64_t>(time.tv_sec) * 1000 + time.tv_usec / 1000;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

int64_t CpuUsagePage::WallMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::optional<CpuUsagePage::Memory> CpuUsagePage::SystemMemory() {
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ParseMemInfo(QString::fromLatin1(file.readAll()));
}

// The resident size from /proc/self/statm (its second field, in pages).
std::optional<int64_t> CpuUsagePage::ResidentKb() {
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    bool number = false;
    const int64_t pages = fields.size() > 1 ? fields[1].toLongLong(&number) : 0;
    if (!number)
        return std::nullopt;
    return pages * (sysconf(_SC_PAGESIZE) / 1024);
}
