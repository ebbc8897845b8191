#pragma once

#include "playback/MediaPlayerBackend.h"

#include <memory>

class MessageSink;

// The media player control as the player holds it: GStreamer lives in libsonvale-gst.so, which
// this loads at the first Ready() (the first Windows Media file opened with the library's
// setting), so that a player that never needs it does not map GStreamer and what it links.
// Without the module the control is not ready (the engine's plug-in plays such files).
class MediaPlayerModule : public MediaPlayerBackend {
public:
    explicit MediaPlayerModule(MessageSink& view);
    ~MediaPlayerModule() override;
    MediaPlayerModule(const MediaPlayerModule&) = delete;
    MediaPlayerModule& operator=(const MediaPlayerModule&) = delete;

    bool Ready() override;
    bool Open(const std::u16string& path) override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    int32_t Position() override;
    int32_t Duration() override;
    void Seek(int32_t ms) override;
    void SetVolume(uint32_t volume) override;
    bool CurrentNotice(intptr_t tag) const override;

private:
    MessageSink& m_view;
    bool m_loadTried = false;
    std::unique_ptr<MediaPlayerBackend> m_player;
};

// The module's one export: extern "C" MediaPlayerBackend* sonvale_gst_create(MessageSink*), a
// new control the caller owns.
inline constexpr const char* kGstModuleEntry = "sonvale_gst_create";
inline constexpr const char* kGstModuleFile = "libsonvale-gst.so";
