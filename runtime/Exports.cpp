// The library's exported functions: each checks its handles and forwards to the SoundSystem.
#include "runtime/SoundSystem.h"
#include "runtime/fsound.h"

#include <algorithm>

namespace {
constexpr signed char TRUE_ = 1;
constexpr signed char FALSE_ = 0;

SoundSystem& System() {
    return SoundSystem::Instance();
}

signed char Bool(bool value) {
    return value ? TRUE_ : FALSE_;
}

// The calls that need FSOUND_Init.
bool NeedInit() {
    if (System().Initialized())
        return true;
    System().SetError(FMOD_ERR_UNINITIALIZED);
    return false;
}
} // namespace

extern "C" {

float FSOUND_GetVersion(void) {
    return 3.74f;
}

signed char FSOUND_SetHWND(void*) {
    return TRUE_;
}

signed char FSOUND_SetBufferSize(int lenms) {
    return Bool(System().SetBufferSize(lenms));
}

signed char FSOUND_SetMixer(int mixer) {
    return Bool(System().SetMixer(mixer));
}

int FSOUND_GetMixer(void) {
    return System().Mixer();
}

signed char FSOUND_Stream_SetBufferSize(int ms) {
    return Bool(System().SetStreamBufferSize(ms));
}

signed char FSOUND_SetOutput(int outputtype) {
    return Bool(System().SetOutput(outputtype));
}

int FSOUND_GetOutput(void) {
    int output = System().Output();
    return output == FSOUND_OUTPUT_AUTODETECT ? FSOUND_OUTPUT_WAVEOUT : output;
}

int FSOUND_GetNumDrivers(void) {
    return 1;
}

const char* FSOUND_GetDriverName(int id) {
    if (id != 0) {
        System().SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    return "Wave out";
}

signed char FSOUND_GetDriverCaps(int id, unsigned int* caps) {
    if (id != 0 || !caps) {
        System().SetError(FMOD_ERR_INVALID_PARAM);
        return FALSE_;
    }
    *caps = 0;
    return TRUE_;
}

signed char FSOUND_SetDriver(int driver) {
    return Bool(System().SetDriver(driver));
}

int FSOUND_GetDriver(void) {
    return 0;
}

signed char FSOUND_SetSpeakerMode(unsigned int speakermode) {
    return Bool(System().SetSpeakerMode(speakermode));
}

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int) {
    return Bool(System().Init(mixrate, maxsoftwarechannels));
}

void FSOUND_Close(void) {
    System().Close();
}

void FSOUND_Update(void) {}

int FSOUND_GetError(void) {
    return System().Error();
}

float FSOUND_GetCPUUsage(void) {
    return System().CpuUsage();
}

signed char FSOUND_File_HasFatalErrorOccurred(void) {
    return Bool(System().FatalErrorOccurred());
}

signed char FSOUND_HasPowerOnOccurred(void) {
    return FALSE_;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int, int) {
    return System().OpenStream(name, mode);
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    return Bool(System().CloseStream(stream));
}

int FSOUND_Stream_GetOpenState(FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindStream(stream);
    if (!open)
        return FSOUND_OPENSTATE_FAILED;
    int state = open->OpenState();
    if (state == FSOUND_OPENSTATE_FAILED)
        System().SetError(open->OpenError());
    return state;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    return open ? System().PlayStream(channel, open) : -1;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    if (!open)
        return FALSE_;
    System().StopStream(open);
    return TRUE_;
}

signed char FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int ms) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    return Bool(open && System().SeekStream(open, ms));
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    return open ? System().HeardTime(open) : 0;
}

int FSOUND_Stream_GetLengthMs(FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    return open ? open->LengthMs() : 0;
}

int FSOUND_Stream_GetLength(FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    return open ? static_cast<int>(std::min<int64_t>(open->FileBytes(), INT32_MAX)) : 0;
}

signed char FSOUND_Stream_SetEndCallback(FSOUND_STREAM* stream, FSOUND_STREAMCALLBACK callback,
                                         void* userdata) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindStream(stream);
    if (!open)
        return FALSE_;
    open->endCallback = callback;
    open->endUserData = userdata;
    return TRUE_;
}

signed char FSOUND_Stream_SetSyncCallback(FSOUND_STREAM* stream, FSOUND_STREAMCALLBACK callback,
                                          void* userdata) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindStream(stream);
    if (!open)
        return FALSE_;
    open->syncCallback = callback;
    open->syncUserData = userdata;
    return TRUE_;
}

FSOUND_SYNCPOINT* FSOUND_Stream_AddSyncPoint(FSOUND_STREAM* stream, unsigned int pcmoffset,
                                             const char* name) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindStream(stream);
    if (!open)
        return nullptr;
    auto point = std::make_unique<FSOUND_SYNCPOINT>();
    point->frame = pcmoffset;
    point->name = name ? name : "";
    open->syncPoints.push_back(std::move(point));
    return open->syncPoints.back().get();
}

signed char FSOUND_Stream_DeleteSyncPoint(FSOUND_SYNCPOINT* point) {
    // Sync points belong to their stream; find the one that holds it.
    auto& system = System();
    auto lock = system.Lock();
    bool found = system.ForEachStream([point](RuntimeStream& stream) {
        return std::erase_if(stream.syncPoints,
                             [point](const auto& held) { return held.get() == point; }) > 0;
    });
    if (!found)
        system.SetError(FMOD_ERR_INVALID_PARAM);
    return Bool(found);
}

int FSOUND_Stream_GetNumSyncPoints(FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindStream(stream);
    return open ? static_cast<int>(open->syncPoints.size()) : 0;
}

FSOUND_SYNCPOINT* FSOUND_Stream_GetSyncPoint(FSOUND_STREAM* stream, int index) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindStream(stream);
    if (!open || index < 0 || index >= static_cast<int>(open->syncPoints.size())) {
        System().SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    return open->syncPoints[index].get();
}

const char* FSOUND_Stream_GetSyncPointInfo(FSOUND_SYNCPOINT* point, unsigned int* pcmoffset) {
    auto& system = System();
    auto lock = system.Lock();
    const char* name = nullptr;
    system.ForEachStream([&](RuntimeStream& stream) {
        for (auto& held : stream.syncPoints)
            if (held.get() == point) {
                if (pcmoffset)
                    *pcmoffset = point->frame;
                name = point->name.c_str();
                return true;
            }
        return false;
    });
    if (!name)
        system.SetError(FMOD_ERR_INVALID_PARAM);
    return name;
}

signed char FSOUND_Stream_SetSubStream(FSOUND_STREAM* stream, int index) {
    // Files here hold one stream each.
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    if (!open || index != 0) {
        System().SetError(FMOD_ERR_INVALID_PARAM);
        return FALSE_;
    }
    return TRUE_;
}

FSOUND_SAMPLE* FSOUND_Stream_GetSample(FSOUND_STREAM* stream) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    return open ? open->Sample() : nullptr;
}

signed char FSOUND_Sample_GetDefaults(FSOUND_SAMPLE* sample, int* deffreq, int* defvol, int* defpan,
                                      int* defpri) {
    auto lock = System().Lock();
    if (!System().FindSample(sample))
        return FALSE_;
    if (deffreq)
        *deffreq = sample->frequency;
    if (defvol)
        *defvol = sample->volume;
    if (defpan)
        *defpan = sample->pan;
    if (defpri)
        *defpri = sample->priority;
    return TRUE_;
}

signed char FSOUND_Stream_GetNumTagFields(FSOUND_STREAM* stream, int* num) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    if (!open || !num)
        return FALSE_;
    *num = static_cast<int>(open->Tags().Fields().size());
    return TRUE_;
}

signed char FSOUND_Stream_GetTagField(FSOUND_STREAM* stream, int num, int* type, char** name,
                                      void** value, int* length) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    if (!open)
        return FALSE_;
    const auto& fields = open->Tags().Fields();
    if (num < 0 || num >= static_cast<int>(fields.size())) {
        System().SetError(FMOD_ERR_INVALID_PARAM);
        return FALSE_;
    }
    const TagFields::Field& field = fields[num];
    if (type)
        *type = field.type;
    if (name)
        *name = const_cast<char*>(field.name.c_str());
    if (value)
        *value = const_cast<uint8_t*>(field.value.data());
    if (length)
        *length = static_cast<int>(field.value.size());
    return TRUE_;
}

signed char FSOUND_Stream_FindTagField(FSOUND_STREAM* stream, int type, const char* name,
                                       void** value, int* length) {
    auto lock = System().Lock();
    RuntimeStream* open = System().FindReadyStream(stream);
    if (!open || !name)
        return FALSE_;
    const TagFields::Field* field = open->Tags().Find(type, name);
    if (!field) {
        System().SetError(FMOD_ERR_INVALID_PARAM);
        return FALSE_;
    }
    if (value)
        *value = const_cast<uint8_t*>(field->value.data());
    if (length)
        *length = static_cast<int>(field->value.size());
    return TRUE_;
}

signed char FSOUND_SetPaused(int channel, signed char paused) {
    auto lock = System().Lock();
    return Bool(System().ForChannels(channel, [&](MixChannel& c) { c.paused = paused != 0; }));
}

signed char FSOUND_GetPaused(int channel) {
    auto lock = System().Lock();
    MixChannel* c = System().FindChannel(channel);
    return Bool(c && c->paused);
}

signed char FSOUND_SetFrequency(int channel, int freq) {
    if (freq < 100 || freq > 705600) {
        System().SetError(FMOD_ERR_INVALID_PARAM);
        return FALSE_;
    }
    auto lock = System().Lock();
    bool made = true;
    const bool found =
        System().ForChannels(channel, [&](MixChannel& c) { made = c.SetFrequency(freq) && made; });
    if (found && !made)
        System().SetError(FMOD_ERR_MEMORY);
    return Bool(found && made);
}

int FSOUND_GetFrequency(int channel) {
    auto lock = System().Lock();
    MixChannel* c = System().FindChannel(channel);
    return c ? c->frequency : 0;
}

signed char FSOUND_SetVolume(int channel, int vol) {
    auto lock = System().Lock();
    int volume = std::clamp(vol, 0, 255);
    return Bool(System().ForChannels(channel, [&](MixChannel& c) { c.volume = volume; }));
}

signed char FSOUND_SetVolumeAbsolute(int channel, int vol) {
    return FSOUND_SetVolume(channel, vol);
}

int FSOUND_GetVolume(int channel) {
    auto lock = System().Lock();
    MixChannel* c = System().FindChannel(channel);
    return c ? c->volume : 0;
}

signed char FSOUND_SetPan(int channel, int pan) {
    auto lock = System().Lock();
    int value = std::clamp(pan, 0, 255);
    return Bool(System().ForChannels(channel, [&](MixChannel& c) { c.pan = value; }));
}

int FSOUND_GetPan(int channel) {
    auto lock = System().Lock();
    MixChannel* c = System().FindChannel(channel);
    return c ? c->pan : 0;
}

signed char FSOUND_SetSurround(int channel, signed char surround) {
    auto lock = System().Lock();
    return Bool(System().ForChannels(channel, [&](MixChannel& c) { c.surround = surround != 0; }));
}

signed char FSOUND_GetSurround(int channel) {
    auto lock = System().Lock();
    MixChannel* c = System().FindChannel(channel);
    return Bool(c && c->surround);
}

signed char FSOUND_SetMute(int channel, signed char mute) {
    auto lock = System().Lock();
    return Bool(System().ForChannels(channel, [&](MixChannel& c) { c.mute = mute != 0; }));
}

signed char FSOUND_GetMute(int channel) {
    auto lock = System().Lock();
    MixChannel* c = System().FindChannel(channel);
    return Bool(c && c->mute);
}

void FSOUND_SetSFXMasterVolume(int volume) {
    System().SetMasterVolume(volume);
}

signed char FSOUND_StopSound(int channel) {
    auto& system = System();
    auto lock = system.Lock();
    return Bool(system.ForChannels(channel, [&](MixChannel& c) {
        if (RuntimeStream* stream = c.Stream())
            system.StopStream(stream);
    }));
}

signed char FSOUND_GetCurrentLevels(int channel, float* l, float* r) {
    auto lock = System().Lock();
    MixChannel* c = System().FindChannel(channel);
    if (l)
        *l = c ? c->LevelLeft() : 0.0f;
    if (r)
        *r = c ? c->LevelRight() : 0.0f;
    return Bool(c != nullptr);
}

FSOUND_DSPUNIT* FSOUND_DSP_Create(FSOUND_DSPCALLBACK callback, int priority, void* userdata) {
    return System().CreateUnit(callback, priority, userdata);
}

void FSOUND_DSP_Free(FSOUND_DSPUNIT* unit) {
    System().FreeUnit(unit);
}

void FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active) {
    System().SetUnitActive(unit, active != 0);
}

signed char FSOUND_DSP_GetActive(FSOUND_DSPUNIT* unit) {
    return Bool(System().ValidUnit(unit) && unit->active);
}

FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit(void) {
    return System().FftUnit();
}

float* FSOUND_DSP_GetSpectrum(void) {
    return System().Spectrum();
}

int FSOUND_DSP_GetBufferLength(void) {
    return SoundSystem::kBlockFrames;
}

int FSOUND_DSP_GetBufferLengthTotal(void) {
    return NeedInit() ? System().BufferFrames() : 0;
}

void FSOUND_DSP_ClearMixBuffer(void) {
    System().ClearMixBuffer();
}

int FSOUND_DSP_GetLatency(void) {
    return System().Initialized() ? System().LatencyMs() : 0;
}

} // extern "C"
