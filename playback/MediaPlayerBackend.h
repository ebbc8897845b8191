#pragma once

#include <cstdint>
#include <string>

// The media player control that plays ".wma" and ".asf" entries. Times in milliseconds (whole
// seconds would end every track up to a second early: the monitor ends a track when its position
// reaches the duration).
// Without a control the controller holds none, and such entries fail to open.
//
// Its notices reach the view as message 0x3E99 (wParam 1: the duration is known, 2: the media
// ended) with lParam the tag of the open they belong to.
class MediaPlayerBackend {
public:
    virtual ~MediaPlayerBackend() = default;

    // The control was set up and can be called.
    virtual bool Ready() = 0;
    virtual bool Open(const std::u16string& path) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual int32_t Position() = 0;
    // 0 while the control does not know it yet.
    virtual int32_t Duration() = 0;
    virtual void Seek(int32_t ms) = 0;
    // The output volume word (both 16-bit halves) for what the control plays.
    virtual void SetVolume(uint32_t volume) = 0;
    // Whether a notice's lParam belongs to the last open (notices of an earlier file can still
    // be on their way when the next one opens).
    virtual bool CurrentNotice(intptr_t tag) const = 0;
};
