#include "playback/GstMediaPlayer.h"

#include "platform/MessageSink.h"
#include "platform/TextCodec.h"
#include "platform/WavFileWriter.h"
#include "platform/WaveOut.h"

#include <gst/gst.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

// playbin's flags: audio only, with its own volume.
constexpr guint kPlayAudio = 0x2;
constexpr guint kPlaySoftVolume = 0x10;
constexpr GstClockTime kOpenWait = 5 * GST_SECOND;
constexpr GstClockTime kSeekWait = GST_SECOND;
constexpr uintptr_t kDurationKnown = 1;
constexpr uintptr_t kMediaEnded = 2;

bool HaveElement(const char* name) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory)
        return false;
    gst_object_unref(factory);
    return true;
}

void SayOnce(bool& said, const char* text) {
    if (!said)
        std::fprintf(stderr, "sonvale: %s\n", text);
    said = true;
}

bool missingSaid = false;
bool noAlsaSaid = false;

} // namespace

struct GstMediaPlayer::Gst {
    GstElement* playbin = nullptr;

    ~Gst() {
        if (playbin) {
            gst_element_set_state(playbin, GST_STATE_NULL);
            gst_object_unref(playbin);
        }
    }
    static GstElement* MakeAudioSink(GstMediaPlayer& player);
    static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    static void OnRecordedBuffer(GstElement* sink, GstBuffer* buffer, GstPad* pad, gpointer self);
};

GstMediaPlayer::GstMediaPlayer(MessageSink& view) : m_view(view) {}

GstMediaPlayer::~GstMediaPlayer() = default;

std::string GstMediaPlayer::RecordingPath(const std::string& path) {
    constexpr std::string_view kWav = ".wav";
    if (path.ends_with(kWav))
        return path.substr(0, path.size() - kWav.size()) + ".media.wav";
    return path + ".media.wav";
}

bool GstMediaPlayer::Ready() {
    if (!m_setUpTried) {
        m_setUpTried = true;
        m_ready = SetUp();
    }
    return m_ready;
}

bool GstMediaPlayer::SetUp() {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        if (error)
            g_error_free(error);
        SayOnce(missingSaid, "GStreamer could not start: Windows Media files play in the engine");
        return false;
    }
    const bool wma = HaveElement("avdec_wmav2") || HaveElement("avdec_wmav1");
    if (!HaveElement("playbin") || !HaveElement("asfdemux") || !wma) {
        SayOnce(missingSaid, "GStreamer's playbin, ASF or WMA plug-ins are missing: Windows Media "
                             "files play in the engine");
        return false;
    }
    GstElement* sink = Gst::MakeAudioSink(*this);
    if (!sink)
        return false;
    m_gst = std::make_unique<Gst>();
    m_gst->playbin = gst_element_factory_make("playbin", nullptr);
    if (!m_gst->playbin) {
        gst_object_unref(sink);
        return false;
    }
    gst_object_ref_sink(m_gst->playbin);
    g_object_set(m_gst->playbin, "audio-sink", sink, "flags", kPlayAudio | kPlaySoftVolume,
                 nullptr);
    GstBus* bus = gst_element_get_bus(m_gst->playbin);
    gst_bus_set_sync_handler(bus, Gst::OnBusMessage, this, nullptr);
    gst_object_unref(bus);
    return true;
}

GstElement* GstMediaPlayer::Gst::MakeAudioSink(GstMediaPlayer& player) {
    const WaveOut::Choice choice = WaveOut::Chosen();
    switch (choice.kind) {
    case WaveOut::Choice::kAlsa:
        if (GstElement* alsa = gst_element_factory_make("alsasink", nullptr)) {
            // The device opens on the way to READY: a machine without one plays to nothing.
            if (gst_element_set_state(alsa, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS) {
                gst_element_set_state(alsa, GST_STATE_NULL);
                return alsa;
            }
            gst_element_set_state(alsa, GST_STATE_NULL);
            gst_object_unref(alsa);
        }
        SayOnce(noAlsaSaid, "no ALSA playback device for GStreamer; Windows Media files play to "
                            "the null output");
        [[fallthrough]];
    case WaveOut::Choice::kNull: {
        GstElement* null = gst_element_factory_make("fakesink", nullptr);
        if (null)
            g_object_set(null, "sync", TRUE, nullptr);
        return null;
    }
    case WaveOut::Choice::kWav: {
        GError* error = nullptr;
        GstElement* bin = gst_parse_bin_from_description(
            "audioconvert ! audioresample ! "
            "audio/x-raw,format=S16LE,layout=interleaved,rate=44100,channels=2 ! "
            "fakesink name=recorder signal-handoffs=true",
            TRUE, &error);
        if (!bin) {
            if (error)
                g_error_free(error);
            return nullptr;
        }
        GstElement* recorder = gst_bin_get_by_name(GST_BIN(bin), "recorder");
        g_object_set(recorder, "sync", choice.fast ? FALSE : TRUE, nullptr);
        g_signal_connect(recorder, "handoff", G_CALLBACK(OnRecordedBuffer), &player);
        gst_object_unref(recorder);
        player.m_recording = std::make_unique<WavFileWriter>(RecordingPath(choice.path));
        return bin;
    }
    case WaveOut::Choice::kNone:
        break;
    }
    return nullptr;
}

GstBusSyncReply GstMediaPlayer::Gst::OnBusMessage(GstBus*, GstMessage* message, gpointer self) {
    auto& player = *static_cast<GstMediaPlayer*>(self);
    const intptr_t tag = player.m_openTag.load();
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        player.m_view.Post(kNotice, kMediaEnded, tag);
        break;
    case GST_MESSAGE_ERROR: {
        // A file that breaks while it plays ends there, as if it had ended.
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        std::fprintf(stderr, "sonvale: media player: %s\n", error ? error->message : "error");
        if (error)
            g_error_free(error);
        player.m_view.Post(kNotice, kMediaEnded, tag);
        break;
    }
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_ASYNC_DONE:
        player.m_view.Post(kNotice, kDurationKnown, tag);
        break;
    default:
        break;
    }
    return GST_BUS_DROP;
}

void GstMediaPlayer::Gst::OnRecordedBuffer(GstElement*, GstBuffer* buffer, GstPad* pad,
                                           gpointer self) {
    auto& player = *static_cast<GstMediaPlayer*>(self);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        return;
    int channels = 0, rate = 0;
    const GstStructure* format = gst_caps_get_structure(caps, 0);
    gst_structure_get_int(format, "channels", &channels);
    gst_structure_get_int(format, "rate", &rate);
    gst_caps_unref(caps);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    player.m_recording->Append(map.data, map.size, channels, rate);
    gst_buffer_unmap(buffer, &map);
}

bool GstMediaPlayer::Open(const std::u16string& path) {
    if (!Ready())
        return false;
    // From NULL: a pipeline that failed on the last file starts clean.
    gst_element_set_state(m_gst->playbin, GST_STATE_NULL);
    ++m_openTag;
    gchar* uri = gst_filename_to_uri(TextCodec::Utf16ToUtf8(path).c_str(), nullptr);
    if (!uri)
        return false;
    g_object_set(m_gst->playbin, "uri", uri, nullptr);
    g_free(uri);
    GstStateChangeReturn result = gst_element_set_state(m_gst->playbin, GST_STATE_PAUSED);
    if (result == GST_STATE_CHANGE_ASYNC)
        result = gst_element_get_state(m_gst->playbin, nullptr, nullptr, kOpenWait);
    if (result == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(m_gst->playbin, GST_STATE_NULL);
        return false;
    }
    return true;
}

void GstMediaPlayer::Play() {
    if (m_ready)
        gst_element_set_state(m_gst->playbin, GST_STATE_PLAYING);
}

void GstMediaPlayer::Pause() {
    if (m_ready)
        gst_element_set_state(m_gst->playbin, GST_STATE_PAUSED);
}

void GstMediaPlayer::Stop() {
    if (m_ready)
        gst_element_set_state(m_gst->playbin, GST_STATE_READY);
}

int32_t GstMediaPlayer::Position() {
    gint64 position = 0;
    if (!m_ready || !gst_element_query_position(m_gst->playbin, GST_FORMAT_TIME, &position) ||
        position < 0)
        return 0;
    return static_cast<int32_t>(std::min<gint64>(position / GST_MSECOND, INT32_MAX));
}

int32_t GstMediaPlayer::Duration() {
    gint64 duration = 0;
    if (!m_ready || !gst_element_query_duration(m_gst->playbin, GST_FORMAT_TIME, &duration) ||
        duration < 0)
        return 0;
    return static_cast<int32_t>(std::min<gint64>(duration / GST_MSECOND, INT32_MAX));
}

void GstMediaPlayer::Seek(int32_t ms) {
    if (!m_ready)
        return;
    // The seek completes with the next preroll: waiting for it keeps Position() truthful.
    if (gst_element_seek_simple(
            m_gst->playbin, GST_FORMAT_TIME,
            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
            static_cast<gint64>(std::max(ms, 0)) * GST_MSECOND))
        gst_element_get_state(m_gst->playbin, nullptr, nullptr, kSeekWait);
}

void GstMediaPlayer::SetVolume(uint32_t volume) {
    if (m_ready)
        g_object_set(m_gst->playbin, "volume", (volume & 0xFFFF) / 65535.0, nullptr);
}

bool GstMediaPlayer::CurrentNotice(intptr_t tag) const {
    return tag == m_openTag.load();
}
