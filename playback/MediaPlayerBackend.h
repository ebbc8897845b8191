#pragma once

#include <string>

// The media player control that plays ".wma" and ".asf" entries. Times in whole seconds.
// Without a control the controller holds none, and such entries fail to open.
class MediaPlayerBackend {
public:
    virtual ~MediaPlayerBackend() = default;

    // The control was set up and can be called.
    virtual bool Ready() = 0;
    virtual bool Open(const std::u16string& path) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual int Position() = 0;
    // 0 while the control does not know it yet.
    virtual int Duration() = 0;
    virtual void Seek(int seconds) = 0;
};
