// libsonvale-sndfile.so: links libsndfile and hands its functions to the run-time library's
// sound-file decoder, which loads this module when the first such file opens.
#include "runtime/SndFileLibrary.h"

extern "C" __attribute__((visibility("default"))) const void* sonvale_sndfile_functions() {
    static const SndFileFunctions functions = [] {
        SndFileFunctions f;
#define SONVALE_SNDFILE_BIND(name) f.name = &::name;
        SONVALE_SNDFILE_FUNCTIONS(SONVALE_SNDFILE_BIND)
#undef SONVALE_SNDFILE_BIND
        return f;
    }();
    return &functions;
}
