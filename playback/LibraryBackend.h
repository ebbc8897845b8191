#pragma once

#include "lyrics/TagLyrics.h"

#include <string>

// The run-time audio library as the controller uses it: one stream at a time, played on one
// channel. Times in milliseconds, volumes 0..255.
class LibraryBackend {
public:
    virtual ~LibraryBackend() = default;

    // Opens `path` (8-bit text) in `mode`; false when the library gave no stream. Closes what was
    // open first.
    virtual bool Open(const std::string& path, unsigned mode) = 0;
    // 0 ready, -1 or -3 failed, anything else still opening.
    virtual int OpenState() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The library's last error code (0..18).
    virtual int LastError() = 0;

    virtual int LengthMs() = 0;
    virtual int LengthBytes() = 0;
    // The stream's default sample rate in Hz; 0 when unknown.
    virtual int DefaultRate() = 0;
    // Tag fields of the open stream.
    virtual TagLyrics::TagFieldFinder Finder() = 0;

    // Starts the stream on a free channel: the channel, -1 when none.
    virtual int Play() = 0;
    virtual void Stop() = 0;
    virtual int TimeMs() = 0;
    virtual void SetTimeMs(int ms) = 0;
    virtual void SetPaused(int channel, bool paused) = 0;
    virtual void SetSurround(int channel, bool on) = 0;
    virtual int Frequency(int channel) = 0;
    virtual void SetFrequency(int channel, int hz) = 0;
    // The volume of every channel.
    virtual void SetVolume(int volume) = 0;
    // The channel's current levels, 0.0 .. 1.0; false when they can't be read.
    virtual bool Levels(int channel, float& left, float& right) = 0;
    // The program's effects on the library's mix forget their history (stop, pause, close).
    virtual void ResetEffects() = 0;
    // Whether the library says when the stream has played to the end of its data, and whether it
    // has since the last Play or SetTimeMs. Without it, the end is where the length says.
    virtual bool ReportsEnd() const { return false; }
    virtual bool PlayedOut() { return false; }
};
