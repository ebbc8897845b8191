#pragma once

#include "ui/OptionsPage.h"

#include <QBasicTimer>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QLabel;

// The "Resource Usage" page: once a second, while it is shown, the processor time the player
// took, the run-time library's own processor use and the memory load, drawn as a graph of the
// last 512 seconds with the figures under it. The title carries the player's resident size.
class CpuUsagePage : public OptionsPage {
    Q_OBJECT

public:
    static constexpr int kHistory = 512;
    static constexpr int kTickMs = 1000;
    static constexpr int kStep = 2;  // pixels per tick
    static constexpr int kGrid = 12; // pixels between grid lines

    // The library's processor use in percent (none: 0).
    using LibraryUsage = std::function<float()>;

    struct Memory {
        int64_t usedKb = 0;
        int64_t totalKb = 0;
    };

    explicit CpuUsagePage(LibraryUsage libraryUsage = {}, QWidget* parent = nullptr);

    // Processor time taken over wall time, in percent of one processor, 0 .. 100.
    static int CpuPercent(int64_t cpuMs, int64_t wallMs);
    // Used share of the memory, 0 .. 100.
    static int MemoryLoad(const Memory& memory);
    // Used and total memory from the text of /proc/meminfo (used: total less available).
    static std::optional<Memory> ParseMemInfo(const QString& text);
    // The row a value is drawn at in a graph `height` pixels high starting at `top`.
    static int PlotY(int top, int height, int value);
    // The figures under the graph.
    static QString Figures(int cpu, int library, const Memory& memory);
    // The page's title for a resident size in KB (none: without it).
    static QString Title(std::optional<int64_t> residentKb);

    // One tick's values: measured, or given (pictures of the page with sample data).
    void Measure();
    void AddSample(int cpu, int library, const Memory& memory);

    // The histories, oldest first, and how many ticks were recorded.
    const std::array<int, kHistory>& CpuHistory() const { return m_cpu; }
    const std::array<int, kHistory>& LibraryHistory() const { return m_library; }
    const std::array<int, kHistory>& MemoryHistory() const { return m_memory; }
    int64_t Ticks() const { return m_ticks; }
    QLabel* FiguresLabel() const { return m_figures; }
    bool Measuring() const { return m_timer.isActive(); }

    // Draws the graph into `area`.
    void DrawGraph(QPainter& painter, const QRect& area) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    static void Push(std::array<int, kHistory>& history, int value);
    // The processor time the process has taken, and the monotonic time, in milliseconds.
    static int64_t ProcessCpuMs();
    static int64_t WallMs();
    static std::optional<int64_t> ResidentKb();
    static std::optional<Memory> SystemMemory();

    LibraryUsage m_libraryUsage;
    std::array<int, kHistory> m_cpu{};
    std::array<int, kHistory> m_library{};
    std::array<int, kHistory> m_memory{};
    int64_t m_ticks = 0;
    int64_t m_lastCpuMs = 0;
    int64_t m_lastWallMs = 0;
    QBasicTimer m_timer;
    QWidget* m_graph;
    QLabel* m_figures;
};
