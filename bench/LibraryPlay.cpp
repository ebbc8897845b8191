// Drives the run-time library for the benchmark: plays one file to its end through the output
// $SONVALE_AUDIO names, or idles with output off and nothing playing, and prints the process's
// CPU time.
//   fmodce-play FILE
//   fmodce-play --idle SECONDS
#include "runtime/fsound.h"
#include "runtime/fsound_errors.h"

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int Fail(const char* what) {
    std::fprintf(stderr, "%s: %s\n", what, FMOD_ErrorString(FSOUND_GetError()));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--idle") == 0) {
        FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
        if (!FSOUND_Init(44100, 16, 8))
            return Fail("init");
        double start = CpuSeconds();
        int seconds = std::atoi(argv[2]);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        double used = CpuSeconds() - start;
        std::printf("idle %d s: %.3f s CPU = %.2f %% of one core\n", seconds, used,
                    used * 100.0 / seconds);
        FSOUND_Close();
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: fmodce-play FILE | --idle SECONDS\n");
        return 2;
    }
    if (!FSOUND_Init(44100, 16, 8))
        return Fail("init");
    FSOUND_STREAM* stream = FSOUND_Stream_Open(argv[1], 0x80151, 0, 0);
    if (!stream)
        return Fail(argv[1]);
    static std::atomic<bool> ended{false};
    FSOUND_Stream_SetEndCallback(
        stream,
        [](FSOUND_STREAM*, void*, int, void*) -> signed char {
            ended = true;
            return 1;
        },
        nullptr);
    double start = CpuSeconds();
    if (FSOUND_Stream_Play(FSOUND_FREE, stream) < 0)
        return Fail("play");
    while (!ended)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    double used = CpuSeconds() - start;
    double minutes = FSOUND_Stream_GetLengthMs(stream) / 60000.0;
    std::printf("%.3f s CPU for %.2f min = %.3f s per minute of audio\n", used, minutes,
                used / minutes);
    FSOUND_Stream_Close(stream);
    FSOUND_Close();
    return 0;
}
