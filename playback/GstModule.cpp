// libsonvale-gst.so: the media player control over GStreamer, created by the player's
// MediaPlayerModule when a file first needs it.
#include "playback/GstMediaPlayer.h"
#include "playback/MediaPlayerModule.h"

extern "C" __attribute__((visibility("default"))) MediaPlayerBackend*
sonvale_gst_create(MessageSink* view) {
    return new GstMediaPlayer(*view);
}
