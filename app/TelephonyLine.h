#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// The telephone line the player watches for calls. Only call-state changes are reported; the
// frame pauses playback for a call and resumes it afterwards.
class TelephonyLine {
public:
    // Call states as the line reports them.
    static constexpr uint32_t kOffering = 0x2;
    static constexpr uint32_t kDialTone = 0x8;
    static constexpr uint32_t kDialing = 0x10;
    static constexpr uint32_t kRingBack = 0x20;
    static constexpr uint32_t kConnected = 0x100;
    static constexpr uint32_t kDisconnected = 0x4000;

    using CallStateHandler = std::function<void(uint32_t state)>;

    virtual ~TelephonyLine() = default;

    // Starts monitoring; the handler is called on the UI thread. False when the line can't be
    // monitored (the player then runs without call handling).
    virtual bool Open(CallStateHandler handler) = 0;
    virtual void Close() = 0;

    // The system's cellular line, or null when there is none.
    static std::unique_ptr<TelephonyLine> System();

    // True for the states during which a call is under way (ringing, dialling or talking).
    static bool IsCallActive(uint32_t state);
};
