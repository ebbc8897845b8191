#pragma once

#include "playback/MediaPlayerBackend.h"

#include <atomic>
#include <memory>
#include <string>

class MessageSink;
class WavFileWriter;

// The media player control over GStreamer's playbin: Windows Media files (and what else the
// installed plug-ins read) played on the output $SONVALE_AUDIO names: ALSA's default device
// (the null output when none opens), the null output, or a WAV recording (44.1 kHz stereo, as
// the run-time library's output). The recording goes
// beside the path the other outputs record into, with ".media" before ".wav" (the run-time
// library holds that path open while the player runs).
//
// GStreamer starts with the first Ready(), so the player pays for it only when a file needs it.
// The control is not ready when GStreamer, its playbin or the Windows Media plug-ins (the ASF
// demuxer, a WMA decoder) are missing, or when $SONVALE_AUDIO names no output.
//
// Calls come from the UI thread and the track monitor (under the controller's track lock); the
// notices are posted from GStreamer's threads.
class GstMediaPlayer : public MediaPlayerBackend {
public:
    static constexpr uint32_t kNotice = 0x3E99;

    explicit GstMediaPlayer(MessageSink& view);
    ~GstMediaPlayer() override;
    GstMediaPlayer(const GstMediaPlayer&) = delete;
    GstMediaPlayer& operator=(const GstMediaPlayer&) = delete;

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

    // The file a `wav:PATH` output records the control's sound into.
    static std::string RecordingPath(const std::string& path);

private:
    // GStreamer's objects and callbacks, known to the source file only.
    struct Gst;

    bool SetUp();

    MessageSink& m_view;
    bool m_setUpTried = false;
    bool m_ready = false;
    std::unique_ptr<WavFileWriter> m_recording;
    std::unique_ptr<Gst> m_gst; // after the recording: its threads write into it
    std::atomic<intptr_t> m_openTag{0};
};
