#pragma once

// libsndfile, bound at first use. It reads WAV, AIFF, FLAC and the other sound files, and links
// encoders for FLAC, Vorbis, Opus and MP3 that a player of MP3 and Ogg never needs: the module
// libsonvale-sndfile.so links it and hands out the few functions the decoder calls; it is loaded
// the first time such a file is opened.

#include <sndfile.h>

#define SONVALE_SNDFILE_FUNCTIONS(X)                                                               \
    X(sf_open_fd)                                                                                  \
    X(sf_error)                                                                                    \
    X(sf_close)                                                                                    \
    X(sf_readf_short)                                                                              \
    X(sf_readf_float)                                                                              \
    X(sf_seek)

struct SndFileFunctions {
#define SONVALE_SNDFILE_MEMBER(name) decltype(&::name) name = nullptr;
    SONVALE_SNDFILE_FUNCTIONS(SONVALE_SNDFILE_MEMBER)
#undef SONVALE_SNDFILE_MEMBER
};

// The module's one export: extern "C" const void* sonvale_sndfile_functions(), the table.
inline constexpr const char* kSndFileModuleEntry = "sonvale_sndfile_functions";
inline constexpr const char* kSndFileModuleFile = "libsonvale-sndfile.so";
