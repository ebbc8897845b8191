// libsonvale-avcodec.so: links libavcodec and hands its functions to the decoders, which load
// this module on first use instead of linking libavcodec into every program.
#include "platform/AvCodec.h"

extern "C" __attribute__((visibility("default"))) const AvCodecFunctions*
sonvale_avcodec_functions() {
    static const AvCodecFunctions functions = [] {
        AvCodecFunctions f;
        f.version = LIBAVCODEC_VERSION_INT;
#define SONVALE_AVCODEC_BIND(name) f.name = &::name;
        SONVALE_AVCODEC_FUNCTIONS(SONVALE_AVCODEC_BIND)
#undef SONVALE_AVCODEC_BIND
        return f;
    }();
    return &functions;
}
