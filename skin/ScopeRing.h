#pragma once

#include <cstdint>
#include <vector>

// The oscilloscope's recent sound: a ring of mono blocks as long as the library's whole mixing
// buffer, one block taken from the mix on each mixer callback, and the rows of the line the window
// draws in each of its columns from the oldest block on. Qt-free.
class ScopeRing {
public:
    static constexpr int kColumns = 424;

    // The line of one column, drawn from row `from` to row `to` (rows count from the bottom).
    struct Line {
        int from = 0;
        int to = 0;
    };

    // blockFrames: frames of one mixed block; totalFrames: frames of the whole mixing buffer.
    ScopeRing(int blockFrames, int totalFrames);

    // Copies the newest mixed block, folded to mono, into the block at the write position and
    // moves it on by one block. Frames past a short block read as silence.
    void PushMono(const int16_t* mono, int frames);
    void Clear();

    int BlockFrames() const { return m_blockFrames; }
    int Blocks() const { return static_cast<int>(m_samples.size()) / m_blockFrames; }
    int16_t Sample(int index) const { return m_samples[index]; }

    // Row of a sample on the 94-row surface: 0 for -32768, 93 for 32767.
    static int Row(int sample);
    // For each column, from the oldest block on with blockFrames / columns samples per column,
    // the rows of the column's sample and of the one a step later; equal rows below 93 make a line
    // one row taller.
    std::vector<Line> Rows(int columns = kColumns) const;

private:
    int m_blockFrames;
    int m_write = 0; // the block written next, which is the oldest one
    std::vector<int16_t> m_samples;
};
