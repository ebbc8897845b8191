#pragma once

#include "engine/core/PlayerTypes.h"

#include <cstdint>
#include <string>

// The built-in engine as the controller uses it. Times in milliseconds.
class EngineBackend {
public:
    virtual ~EngineBackend() = default;

    virtual bool OpenFile(const std::u16string& path) = 0;
    virtual bool OpenUrl(const std::u16string& url) = 0;
    virtual void Close() = 0;
    virtual bool Play() = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual bool Seek(int32_t ms) = 0;
    virtual int32_t Position() = 0;
    virtual int32_t Duration() = 0;
    virtual bool GetFileInfo(PlayerFileInfo& info) = 0;
    // The tags of any file (open or not).
    virtual bool FileTag(const std::u16string& path, TagInfo& tag) = 0;
    // Both 16-bit halves.
    virtual void SetVolume(uint32_t volume) = 0;

    // Streams: the state (1 stopped, 2 connecting, 3 buffering, 4 playing), the blocks buffered
    // and the blocks of the prebuffer; the current title ("" when none).
    virtual int32_t StreamingState() = 0;
    virtual int32_t StreamingBuffered() = 0;
    virtual int32_t PrebufferBlocks() = 0;
    virtual std::u16string StreamTitle() = 0;
};
