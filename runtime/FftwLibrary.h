#pragma once

// FFTW, bound when the FFT unit is first switched on: a player that never shows the frequency
// bars does not map it. The module libsonvale-fftw.so links it and hands out the functions the
// analyser calls.

#include <fftw3.h>

#define SONVALE_FFTW_FUNCTIONS(X)                                                                  \
    X(fftwf_alloc_real)                                                                            \
    X(fftwf_alloc_complex)                                                                         \
    X(fftwf_free)                                                                                  \
    X(fftwf_plan_dft_r2c_1d)                                                                       \
    X(fftwf_execute)                                                                               \
    X(fftwf_destroy_plan)

struct FftwFunctions {
#define SONVALE_FFTW_MEMBER(name) decltype(&::name) name = nullptr;
    SONVALE_FFTW_FUNCTIONS(SONVALE_FFTW_MEMBER)
#undef SONVALE_FFTW_MEMBER
};

// The module's one export: extern "C" const void* sonvale_fftw_functions(), the table.
inline constexpr const char* kFftwModuleEntry = "sonvale_fftw_functions";
inline constexpr const char* kFftwModuleFile = "libsonvale-fftw.so";
