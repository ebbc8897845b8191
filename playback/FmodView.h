#pragma once

struct FmodFunctions;
class MessageSink;

// What the audio start-up needs from the main view. The view implements it.
class FmodView {
public:
    virtual ~FmodView() = default;

    // The view's window, handed to the library as its window handle.
    virtual void* WindowHandle() = 0;
    // Where the built-in engine posts its messages; may be null.
    virtual MessageSink* EngineOwner() = 0;

    // The level meter and the spectrum; false when they could not start. Stopped at shutdown
    // (and after a failed start-up) before the library closes.
    virtual bool StartVuMeter(const FmodFunctions& fsound) = 0;
    virtual bool StartSpectrum(const FmodFunctions& fsound) = 0;
    virtual void StopVuMeter() = 0;
    virtual void StopSpectrum() = 0;

    // Once per mixed block, on the library's mixer thread, while the tick unit is active.
    virtual void OnTick() = 0;
};
