// A stand-in for the run-time audio library: every function the player binds, with C linkage.
// Set-up, Init and the DSP units are recorded and can be made to fail; the rest answer plainly.
// Built a second time with FAKE_FMODCE_LEAVE_OUT_GETOUTPUT to miss one name.
#include "tests/playback/FakeFmodce.h"

namespace {

FakeFmodceState state;

void Record(std::string line) {
    state.calls.push_back(std::move(line));
}

FakeFmodceUnit* UnitOf(FSOUND_DSPUNIT* unit) {
    return reinterpret_cast<FakeFmodceUnit*>(unit);
}

} // namespace

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT FakeFmodceState* FakeFmodce_State() {
    return &state;
}

FAKE_EXPORT float FSOUND_GetVersion(void) {
    return 3.74f;
}
FAKE_EXPORT signed char FSOUND_SetHWND(void* hwnd) {
    Record("SetHWND");
    state.hwnd = hwnd;
    return 1;
}
FAKE_EXPORT signed char FSOUND_SetBufferSize(int lenms) {
    Record("SetBufferSize " + std::to_string(lenms));
    return state.setBufferSizeFails ? 0 : 1;
}
FAKE_EXPORT signed char FSOUND_SetMixer(int mixer) {
    Record("SetMixer " + std::to_string(mixer));
    return 1;
}
FAKE_EXPORT int FSOUND_GetMixer(void) {
    return FSOUND_MIXER_QUALITY_AUTODETECT;
}
FAKE_EXPORT signed char FSOUND_Stream_SetBufferSize(int ms) {
    Record("Stream_SetBufferSize " + std::to_string(ms));
    return 1;
}
FAKE_EXPORT signed char FSOUND_SetOutput(int outputtype) {
    Record("SetOutput " + std::to_string(outputtype));
    state.output = outputtype;
    return 1;
}
#ifndef FAKE_FMODCE_LEAVE_OUT_GETOUTPUT
FAKE_EXPORT int FSOUND_GetOutput(void) {
    return state.output;
}
#endif
FAKE_EXPORT int FSOUND_GetNumDrivers(void) {
    return 1;
}
FAKE_EXPORT const char* FSOUND_GetDriverName(int) {
    return "fake";
}
FAKE_EXPORT signed char FSOUND_GetDriverCaps(int, unsigned int* caps) {
    if (caps)
        *caps = 0;
    return 1;
}
FAKE_EXPORT signed char FSOUND_SetDriver(int) {
    return 1;
}
FAKE_EXPORT int FSOUND_GetDriver(void) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_SetSpeakerMode(unsigned int) {
    return 1;
}
FAKE_EXPORT signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags) {
    Record("Init " + std::to_string(mixrate) + " " + std::to_string(maxsoftwarechannels) + " " +
           std::to_string(flags));
    if (mixrate > state.initMaxRate)
        return 0;
    state.initialised = true;
    return 1;
}
FAKE_EXPORT void FSOUND_Close(void) {
    Record("Close");
    state.initialised = false;
}
FAKE_EXPORT void FSOUND_Update(void) {}
FAKE_EXPORT int FSOUND_GetError(void) {
    return FMOD_ERR_NONE;
}
FAKE_EXPORT int FSOUND_DSP_GetLatency(void) {
    return 0;
}
FAKE_EXPORT float FSOUND_GetCPUUsage(void) {
    return 0.0f;
}
FAKE_EXPORT signed char FSOUND_File_HasFatalErrorOccurred(void) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_HasPowerOnOccurred(void) {
    return 0;
}

// Built a third time with FAKE_FMODCE_NEVER_OPENS: a stream is given at once and never becomes
// ready, like a file on a device that doesn't answer.
#ifdef FAKE_FMODCE_NEVER_OPENS
namespace {
char g_stream;
}
FAKE_EXPORT FSOUND_STREAM* FSOUND_Stream_Open(const char*, unsigned int, int, int) {
    return reinterpret_cast<FSOUND_STREAM*>(&g_stream);
}
FAKE_EXPORT int FSOUND_Stream_GetOpenState(FSOUND_STREAM*) {
    return 1; // still opening
}
#else
FAKE_EXPORT FSOUND_STREAM* FSOUND_Stream_Open(const char*, unsigned int, int, int) {
    return nullptr;
}
FAKE_EXPORT int FSOUND_Stream_GetOpenState(FSOUND_STREAM*) {
    return FSOUND_OPENSTATE_FAILED;
}
#endif
FAKE_EXPORT signed char FSOUND_Stream_Close(FSOUND_STREAM*) {
    return 0;
}
FAKE_EXPORT int FSOUND_Stream_Play(int, FSOUND_STREAM*) {
    return -1;
}
FAKE_EXPORT signed char FSOUND_Stream_Stop(FSOUND_STREAM*) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_Stream_SetTime(FSOUND_STREAM*, int) {
    return 0;
}
FAKE_EXPORT int FSOUND_Stream_GetTime(FSOUND_STREAM*) {
    return 0;
}
FAKE_EXPORT int FSOUND_Stream_GetLengthMs(FSOUND_STREAM*) {
    return 0;
}
FAKE_EXPORT int FSOUND_Stream_GetLength(FSOUND_STREAM*) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_Stream_SetEndCallback(FSOUND_STREAM*, FSOUND_STREAMCALLBACK, void*) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_Stream_SetSyncCallback(FSOUND_STREAM*, FSOUND_STREAMCALLBACK,
                                                      void*) {
    return 0;
}
FAKE_EXPORT FSOUND_SYNCPOINT* FSOUND_Stream_AddSyncPoint(FSOUND_STREAM*, unsigned int,
                                                         const char*) {
    return nullptr;
}
FAKE_EXPORT signed char FSOUND_Stream_DeleteSyncPoint(FSOUND_SYNCPOINT*) {
    return 0;
}
FAKE_EXPORT int FSOUND_Stream_GetNumSyncPoints(FSOUND_STREAM*) {
    return 0;
}
FAKE_EXPORT FSOUND_SYNCPOINT* FSOUND_Stream_GetSyncPoint(FSOUND_STREAM*, int) {
    return nullptr;
}
FAKE_EXPORT const char* FSOUND_Stream_GetSyncPointInfo(FSOUND_SYNCPOINT*, unsigned int*) {
    return nullptr;
}
FAKE_EXPORT signed char FSOUND_Stream_SetSubStream(FSOUND_STREAM*, int) {
    return 0;
}
FAKE_EXPORT FSOUND_SAMPLE* FSOUND_Stream_GetSample(FSOUND_STREAM*) {
    return nullptr;
}
FAKE_EXPORT signed char FSOUND_Sample_GetDefaults(FSOUND_SAMPLE*, int*, int*, int*, int*) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_Stream_GetNumTagFields(FSOUND_STREAM*, int* num) {
    if (num)
        *num = 0;
    return 0;
}
FAKE_EXPORT signed char FSOUND_Stream_GetTagField(FSOUND_STREAM*, int, int*, char**, void**, int*) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_Stream_FindTagField(FSOUND_STREAM*, int, const char*, void**, int*) {
    return 0;
}

FAKE_EXPORT signed char FSOUND_SetPaused(int, signed char) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_GetPaused(int) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_SetFrequency(int, int) {
    return 0;
}
FAKE_EXPORT int FSOUND_GetFrequency(int) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_SetVolume(int, int) {
    return 1;
}
FAKE_EXPORT signed char FSOUND_SetVolumeAbsolute(int, int) {
    return 1;
}
FAKE_EXPORT int FSOUND_GetVolume(int) {
    return 255;
}
FAKE_EXPORT signed char FSOUND_SetPan(int, int) {
    return 1;
}
FAKE_EXPORT int FSOUND_GetPan(int) {
    return 128;
}
FAKE_EXPORT signed char FSOUND_SetSurround(int, signed char) {
    return 1;
}
FAKE_EXPORT signed char FSOUND_GetSurround(int) {
    return 0;
}
FAKE_EXPORT signed char FSOUND_SetMute(int, signed char) {
    return 1;
}
FAKE_EXPORT signed char FSOUND_GetMute(int) {
    return 0;
}
FAKE_EXPORT void FSOUND_SetSFXMasterVolume(int) {}
FAKE_EXPORT signed char FSOUND_StopSound(int) {
    return 1;
}
FAKE_EXPORT signed char FSOUND_GetCurrentLevels(int, float* l, float* r) {
    if (l)
        *l = 0.0f;
    if (r)
        *r = 0.0f;
    return 1;
}

FAKE_EXPORT FSOUND_DSPUNIT* FSOUND_DSP_Create(FSOUND_DSPCALLBACK callback, int priority,
                                              void* userdata) {
    Record("DSP_Create " + std::to_string(priority));
    if (state.dspCreateFails)
        return nullptr;
    state.units.push_back({callback, priority, userdata, false, false});
    return reinterpret_cast<FSOUND_DSPUNIT*>(&state.units.back());
}
FAKE_EXPORT void FSOUND_DSP_Free(FSOUND_DSPUNIT* unit) {
    Record("DSP_Free " + std::to_string(UnitOf(unit)->priority));
    UnitOf(unit)->freed = true;
}
FAKE_EXPORT void FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active) {
    Record("DSP_SetActive " + std::to_string(UnitOf(unit)->priority) + " " +
           std::to_string(active));
    UnitOf(unit)->active = active != 0;
}
FAKE_EXPORT signed char FSOUND_DSP_GetActive(FSOUND_DSPUNIT* unit) {
    return UnitOf(unit)->active ? 1 : 0;
}
FAKE_EXPORT FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit(void) {
    return nullptr;
}
FAKE_EXPORT float* FSOUND_DSP_GetSpectrum(void) {
    return nullptr;
}
FAKE_EXPORT int FSOUND_DSP_GetBufferLength(void) {
    return 1024;
}
FAKE_EXPORT int FSOUND_DSP_GetBufferLengthTotal(void) {
    return 4096;
}
FAKE_EXPORT void FSOUND_DSP_ClearMixBuffer(void) {}
