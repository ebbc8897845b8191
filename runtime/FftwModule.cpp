// libsonvale-fftw.so: links FFTW and hands its functions to the run-time library's FFT unit,
// which loads this module when the unit is first switched on.
#include "runtime/FftwLibrary.h"

extern "C" __attribute__((visibility("default"))) const void* sonvale_fftw_functions() {
    static const FftwFunctions functions = [] {
        FftwFunctions f;
#define SONVALE_FFTW_BIND(name) f.name = &::name;
        SONVALE_FFTW_FUNCTIONS(SONVALE_FFTW_BIND)
#undef SONVALE_FFTW_BIND
        return f;
    }();
    return &functions;
}
