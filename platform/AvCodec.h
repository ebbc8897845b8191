#pragma once

// libavcodec, bound at first use. The player links no part of libavcodec: the library and what
// it pulls in (image, video and font libraries among them) cost memory and start-up time that
// only compressed WAV files and WMA need. The small module libsonvale-avcodec.so links it and
// hands out the functions the decoders call; it is loaded the first time a decoder opens.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
}

#define SONVALE_AVCODEC_FUNCTIONS(X)                                                               \
    X(av_buffer_is_writable)                                                                       \
    X(av_channel_layout_default)                                                                   \
    X(av_frame_alloc)                                                                              \
    X(av_frame_free)                                                                               \
    X(av_frame_unref)                                                                              \
    X(av_get_packed_sample_fmt)                                                                    \
    X(av_log_set_level)                                                                            \
    X(av_mallocz)                                                                                  \
    X(av_new_packet)                                                                               \
    X(av_packet_alloc)                                                                             \
    X(av_packet_free)                                                                              \
    X(av_packet_unref)                                                                             \
    X(av_parser_close)                                                                             \
    X(av_parser_init)                                                                              \
    X(av_parser_parse2)                                                                            \
    X(av_sample_fmt_is_planar)                                                                     \
    X(avcodec_alloc_context3)                                                                      \
    X(avcodec_find_decoder)                                                                        \
    X(avcodec_find_decoder_by_name)                                                                \
    X(avcodec_flush_buffers)                                                                       \
    X(avcodec_free_context)                                                                        \
    X(avcodec_open2)                                                                               \
    X(avcodec_receive_frame)                                                                       \
    X(avcodec_send_packet)

// The functions, each with the type its header declares.
struct AvCodecFunctions {
    // The libavcodec version the module was built against; the decoders' view of its structures
    // (AVCodecContext, AVFrame, AVPacket) must be the same.
    unsigned version = 0;
#define SONVALE_AVCODEC_MEMBER(name) decltype(&::name) name = nullptr;
    SONVALE_AVCODEC_FUNCTIONS(SONVALE_AVCODEC_MEMBER)
#undef SONVALE_AVCODEC_MEMBER
};

// The module's one export: extern "C" const void* sonvale_avcodec_functions(),
// the AvCodecFunctions.
inline constexpr const char* kAvCodecModuleEntry = "sonvale_avcodec_functions";
inline constexpr const char* kAvCodecModuleFile = "libsonvale-avcodec.so";

namespace AvCodec {

// Loads the module on the first call (later calls give the same answer; PrivateModule::Open
// says where it is looked for). Quiets libavcodec's log. Null when the module is missing or was
// built for another version.
const AvCodecFunctions* Load();

// The loaded functions; only after Load() gave them.
const AvCodecFunctions& Functions();

} // namespace AvCodec
