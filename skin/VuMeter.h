#pragma once

#include <array>

// The stereo VU meter's values, in lit segments: what each channel shows, with a slow fall and a
// peak that holds for a moment before it falls too. Qt-free; the panel draws what it answers.
class VuMeter {
public:
    static constexpr int kSegments = 30;

    // Lit segments for a level between 0 and 1: levels above 0.984 count as full, and any level
    // above 0.01 lights at least one segment.
    static int Segments(float level);

    // One meter step with the new values of both channels (in segments).
    void Step(int left, int right);
    void Clear();

    // Shown value and peak of channel 0 (left) or 1 (right), at most kSegments.
    int Shown(int channel) const;
    int Peak(int channel) const;

private:
    static constexpr int kFall = 2;
    static constexpr int kPeakHold = 5;

    struct Channel {
        int value = 0; // the value of the previous step, following the fall
        int shown = 0;
        int peak = 0;
        int hold = 0;
    };
    void StepChannel(Channel& channel, int value, bool holdTurn);

    std::array<Channel, 2> m_channels{};
    bool m_holdTurn = false;
};
