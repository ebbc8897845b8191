#pragma once

#include "runtime/fsound.h"

#include <string>

// Every function the player takes from the run-time audio library, by its name without the
// "FSOUND_" prefix. Start-up fails when any one of them is missing.
#define SONVALE_FSOUND_FUNCTIONS(X)                                                                \
    X(GetVersion)                                                                                  \
    X(SetHWND)                                                                                     \
    X(SetBufferSize)                                                                               \
    X(SetMixer)                                                                                    \
    X(Stream_SetBufferSize)                                                                        \
    X(Init)                                                                                        \
    X(Close)                                                                                       \
    X(Stream_Open)                                                                                 \
    X(Stream_Close)                                                                                \
    X(Stream_GetOpenState)                                                                         \
    X(Stream_Play)                                                                                 \
    X(Stream_Stop)                                                                                 \
    X(DSP_Create)                                                                                  \
    X(DSP_SetActive)                                                                               \
    X(DSP_GetActive)                                                                               \
    X(DSP_Free)                                                                                    \
    X(DSP_GetFFTUnit)                                                                              \
    X(DSP_GetSpectrum)                                                                             \
    X(Stream_SetTime)                                                                              \
    X(Stream_GetTime)                                                                              \
    X(SetPaused)                                                                                   \
    X(GetPaused)                                                                                   \
    X(SetFrequency)                                                                                \
    X(GetFrequency)                                                                                \
    X(Stream_GetLengthMs)                                                                          \
    X(Stream_SetEndCallback)                                                                       \
    X(Sample_GetDefaults)                                                                          \
    X(Stream_GetSample)                                                                            \
    X(Stream_GetLength)                                                                            \
    X(GetCurrentLevels)                                                                            \
    X(DSP_GetBufferLengthTotal)                                                                    \
    X(DSP_GetBufferLength)                                                                         \
    X(StopSound)                                                                                   \
    X(Stream_GetNumTagFields)                                                                      \
    X(Stream_GetTagField)                                                                          \
    X(Stream_FindTagField)                                                                         \
    X(Stream_SetSubStream)                                                                         \
    X(GetCPUUsage)                                                                                 \
    X(GetMixer)                                                                                    \
    X(GetError)                                                                                    \
    X(File_HasFatalErrorOccurred)                                                                  \
    X(HasPowerOnOccurred)                                                                          \
    X(Stream_SetSyncCallback)                                                                      \
    X(Stream_AddSyncPoint)                                                                         \
    X(Stream_DeleteSyncPoint)                                                                      \
    X(Stream_GetNumSyncPoints)                                                                     \
    X(Stream_GetSyncPoint)                                                                         \
    X(Stream_GetSyncPointInfo)                                                                     \
    X(DSP_ClearMixBuffer)                                                                          \
    X(DSP_GetLatency)                                                                              \
    X(Update)                                                                                      \
    X(SetSpeakerMode)                                                                              \
    X(SetVolume)                                                                                   \
    X(SetVolumeAbsolute)                                                                           \
    X(SetPan)                                                                                      \
    X(SetSurround)                                                                                 \
    X(SetMute)                                                                                     \
    X(GetVolume)                                                                                   \
    X(GetPan)                                                                                      \
    X(GetSurround)                                                                                 \
    X(GetMute)                                                                                     \
    X(SetSFXMasterVolume)                                                                          \
    X(GetNumDrivers)                                                                               \
    X(GetDriverCaps)                                                                               \
    X(GetDriverName)                                                                               \
    X(SetDriver)                                                                                   \
    X(GetDriver)                                                                                   \
    X(SetOutput)                                                                                   \
    X(GetOutput)

// The bound functions, typed after the library's own prototypes.
struct FmodFunctions {
#define SONVALE_FSOUND_POINTER(name) decltype(&FSOUND_##name) name = nullptr;
    SONVALE_FSOUND_FUNCTIONS(SONVALE_FSOUND_POINTER)
#undef SONVALE_FSOUND_POINTER
};

// The run-time audio library, loaded with dlopen and bound by function name; never linked.
class FmodLibrary {
public:
    static constexpr const char* kFileName = "libfmodce.so";

    enum class Result {
        Ok,
        LoadFailed,    // the library file did not load
        SymbolMissing, // a function of the list is not exported
    };

    FmodLibrary() = default;
    ~FmodLibrary();
    FmodLibrary(const FmodLibrary&) = delete;
    FmodLibrary& operator=(const FmodLibrary&) = delete;

    // Loads the library beside the executable, else by plain name through the library path,
    // and binds every function. Anything loaded before is unloaded first.
    Result Load();
    // The same from one given file only.
    Result LoadFrom(const std::string& path);
    // Forgets the functions and closes the library; harmless when nothing is loaded.
    void Unload();

    bool IsLoaded() const { return m_handle != nullptr; }
    const FmodFunctions& Functions() const { return m_functions; }
    // The full name of the first function not found by the last load, "" when none was missing.
    const std::string& MissingName() const { return m_missingName; }

private:
    Result Bind();

    void* m_handle = nullptr;
    FmodFunctions m_functions;
    std::string m_missingName;
};
