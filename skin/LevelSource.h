#pragma once

// Where the display panel's VU meter takes its levels from. The main view implements it: the
// run-time library's levels of the playing channel, or the built-in engine's.
class LevelSource {
public:
    virtual ~LevelSource() = default;

    // Starts and stops computing levels (the VU meter is switched on or off).
    virtual void StartLevels() = 0;
    virtual void StopLevels() = 0;
    // The current levels, 0 to 1 per channel; false when there are none.
    virtual bool Levels(float& left, float& right) = 0;
};
