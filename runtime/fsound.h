/* The run-time audio library's public interface (libfmodce.so).
 *
 * A small stream player: it opens MPEG audio, Ogg Vorbis and WAV files as streams, plays them on up
 * to 32 channels, mixes 1024-frame blocks into a 32-bit integer stereo mix buffer, runs the DSP
 * units over every block and sends the result to the wave-out device, or nowhere when the output
 * is FSOUND_OUTPUT_NOSOUND. The mixer thread runs from FSOUND_Init to FSOUND_Close in real time,
 * also with nothing playing, so DSP units serve as a clock.
 *
 * Booleans are signed char: TRUE (1) or FALSE (0). When a call fails, FSOUND_GetError tells why
 * (FMOD_ERR_*); fsound_errors.h has the texts.
 */
#ifndef SONVALE_FSOUND_H
#define SONVALE_FSOUND_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(FSOUND_BUILDING_LIBRARY)
#define FSOUND_API __attribute__((visibility("default")))
#else
#define FSOUND_API
#endif

typedef struct FSOUND_STREAM FSOUND_STREAM;
typedef struct FSOUND_SAMPLE FSOUND_SAMPLE;
typedef struct FSOUND_DSPUNIT FSOUND_DSPUNIT;
typedef struct FSOUND_SYNCPOINT FSOUND_SYNCPOINT;

/* A DSP unit: called on the mixer thread once per block with the mix buffer before any unit ran
 * (originalbuffer) and the buffer the previous unit returned (newbuffer); length is the block's
 * sample frames. The mix buffer holds 32-bit integer stereo frames (8 bytes per frame) scaled to
 * the 16-bit range. The returned buffer goes to the next unit; NULL keeps newbuffer. */
typedef void* (*FSOUND_DSPCALLBACK)(void* originalbuffer, void* newbuffer, int length,
                                    void* userdata);
/* End and sync callbacks, on the mixer thread: buff is NULL for the end of the stream, the sync
 * point's name for a sync point. The result is ignored. */
typedef signed char (*FSOUND_STREAMCALLBACK)(FSOUND_STREAM* stream, void* buff, int len,
                                             void* userdata);

enum {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY,
    FMOD_ERR_UNINITIALIZED,
    FMOD_ERR_INIT,
    FMOD_ERR_ALLOCATED,
    FMOD_ERR_PLAY,
    FMOD_ERR_OUTPUT_FORMAT,
    FMOD_ERR_COOPERATIVELEVEL,
    FMOD_ERR_CREATEBUFFER,
    FMOD_ERR_FILE_NOTFOUND,
    FMOD_ERR_FILE_FORMAT,
    FMOD_ERR_FILE_BAD,
    FMOD_ERR_MEMORY,
    FMOD_ERR_VERSION,
    FMOD_ERR_INVALID_PARAM,
    FMOD_ERR_NO_EAX,
    FMOD_ERR_CHANNEL_ALLOC,
    FMOD_ERR_RECORD,
    FMOD_ERR_MEDIAPLAYER
};

/* Outputs. */
enum {
    FSOUND_OUTPUT_AUTODETECT = -1, /* the default: the wave-out device */
    FSOUND_OUTPUT_NOSOUND = 0,     /* mix in real time, play nothing */
    FSOUND_OUTPUT_WAVEOUT = 1
};

/* Mixer types: kept for FSOUND_GetMixer; every one mixes into 32-bit integers here. */
enum {
    FSOUND_MIXER_AUTODETECT = 0,
    FSOUND_MIXER_BLENDMODE = 1,
    FSOUND_MIXER_MMXP5 = 2,
    FSOUND_MIXER_MMXP6 = 3,
    FSOUND_MIXER_QUALITY_AUTODETECT = 4,
    FSOUND_MIXER_QUALITY_FPU = 5
};

/* Channel numbers with a meaning of their own. */
#define FSOUND_FREE (-1) /* FSOUND_Stream_Play: pick a free channel */
#define FSOUND_ALL (-3)  /* volume, pause, mute and stop calls: every channel */

/* Stream_Open mode bits. Only FSOUND_MPEGACCURATE changes anything: an MPEG file is scanned
 * whole on a worker thread for its exact length while FSOUND_Stream_GetOpenState answers
 * FSOUND_OPENSTATE_OPENING. */
#define FSOUND_LOOP_OFF 0x00000001
#define FSOUND_16BITS 0x00000010
#define FSOUND_STEREO 0x00000040
#define FSOUND_SIGNED 0x00000100
#define FSOUND_MPEGACCURATE 0x00020000
#define FSOUND_2D 0x00080000

/* FSOUND_Stream_GetOpenState answers. */
#define FSOUND_OPENSTATE_READY 0
#define FSOUND_OPENSTATE_FAILED (-1)
#define FSOUND_OPENSTATE_OPENING (-2)

/* Tag field types. FSOUND_Stream_FindTagField with FSOUND_TAGFIELD_ID3V2 also finds the Vorbis
 * comments of an Ogg file, by name. */
enum {
    FSOUND_TAGFIELD_VORBISCOMMENT = 0,
    FSOUND_TAGFIELD_ID3V1,
    FSOUND_TAGFIELD_ID3V2,
    FSOUND_TAGFIELD_SHOUTCAST,
    FSOUND_TAGFIELD_ICECAST,
    FSOUND_TAGFIELD_ASF
};

/* The length of the spectrum FSOUND_DSP_GetSpectrum points at. */
#define FSOUND_SPECTRUM_BANDS 512

/* Set-up; every one but SetHWND answers FALSE (FMOD_ERR_BUSY) between Init and Close. */
FSOUND_API float FSOUND_GetVersion(void);
FSOUND_API signed char FSOUND_SetHWND(void* hwnd);
FSOUND_API signed char FSOUND_SetBufferSize(int lenms);
FSOUND_API signed char FSOUND_SetMixer(int mixer);
FSOUND_API int FSOUND_GetMixer(void);
FSOUND_API signed char FSOUND_Stream_SetBufferSize(int ms);
FSOUND_API signed char FSOUND_SetOutput(int outputtype);
FSOUND_API int FSOUND_GetOutput(void);
FSOUND_API int FSOUND_GetNumDrivers(void);
FSOUND_API const char* FSOUND_GetDriverName(int id);
FSOUND_API signed char FSOUND_GetDriverCaps(int id, unsigned int* caps);
FSOUND_API signed char FSOUND_SetDriver(int driver);
FSOUND_API int FSOUND_GetDriver(void);
FSOUND_API signed char FSOUND_SetSpeakerMode(unsigned int speakermode);
FSOUND_API signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
FSOUND_API void FSOUND_Close(void);
FSOUND_API void FSOUND_Update(void);
FSOUND_API int FSOUND_GetError(void);
FSOUND_API float FSOUND_GetCPUUsage(void);
FSOUND_API signed char FSOUND_File_HasFatalErrorOccurred(void);
FSOUND_API signed char FSOUND_HasPowerOnOccurred(void);

/* Streams. */
FSOUND_API FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset,
                                             int length);
FSOUND_API signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
FSOUND_API int FSOUND_Stream_GetOpenState(FSOUND_STREAM* stream);
FSOUND_API int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
FSOUND_API signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
FSOUND_API signed char FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int ms);
FSOUND_API int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
FSOUND_API int FSOUND_Stream_GetLengthMs(FSOUND_STREAM* stream);
FSOUND_API int FSOUND_Stream_GetLength(FSOUND_STREAM* stream); /* the file's size in bytes */
FSOUND_API signed char FSOUND_Stream_SetEndCallback(FSOUND_STREAM* stream,
                                                    FSOUND_STREAMCALLBACK callback, void* userdata);
FSOUND_API signed char FSOUND_Stream_SetSyncCallback(FSOUND_STREAM* stream,
                                                     FSOUND_STREAMCALLBACK callback,
                                                     void* userdata);
FSOUND_API FSOUND_SYNCPOINT* FSOUND_Stream_AddSyncPoint(FSOUND_STREAM* stream,
                                                        unsigned int pcmoffset, const char* name);
FSOUND_API signed char FSOUND_Stream_DeleteSyncPoint(FSOUND_SYNCPOINT* point);
FSOUND_API int FSOUND_Stream_GetNumSyncPoints(FSOUND_STREAM* stream);
FSOUND_API FSOUND_SYNCPOINT* FSOUND_Stream_GetSyncPoint(FSOUND_STREAM* stream, int index);
FSOUND_API const char* FSOUND_Stream_GetSyncPointInfo(FSOUND_SYNCPOINT* point,
                                                      unsigned int* pcmoffset);
FSOUND_API signed char FSOUND_Stream_SetSubStream(FSOUND_STREAM* stream, int index);
FSOUND_API FSOUND_SAMPLE* FSOUND_Stream_GetSample(FSOUND_STREAM* stream);
FSOUND_API signed char FSOUND_Sample_GetDefaults(FSOUND_SAMPLE* sample, int* deffreq, int* defvol,
                                                 int* defpan, int* defpri);
/* Tags: the value is the field's raw bytes (an ID3v2 frame without its header, a Vorbis
 * comment's value, an ID3v1 field), valid until the stream is closed. */
FSOUND_API signed char FSOUND_Stream_GetNumTagFields(FSOUND_STREAM* stream, int* num);
FSOUND_API signed char FSOUND_Stream_GetTagField(FSOUND_STREAM* stream, int num, int* type,
                                                 char** name, void** value, int* length);
FSOUND_API signed char FSOUND_Stream_FindTagField(FSOUND_STREAM* stream, int type, const char* name,
                                                  void** value, int* length);

/* Channels: the numbers FSOUND_Stream_Play answers. Volume and pan 0..255. */
FSOUND_API signed char FSOUND_SetPaused(int channel, signed char paused);
FSOUND_API signed char FSOUND_GetPaused(int channel);
FSOUND_API signed char FSOUND_SetFrequency(int channel, int freq);
FSOUND_API int FSOUND_GetFrequency(int channel);
FSOUND_API signed char FSOUND_SetVolume(int channel, int vol);
FSOUND_API signed char FSOUND_SetVolumeAbsolute(int channel, int vol);
FSOUND_API int FSOUND_GetVolume(int channel);
FSOUND_API signed char FSOUND_SetPan(int channel, int pan);
FSOUND_API int FSOUND_GetPan(int channel);
FSOUND_API signed char FSOUND_SetSurround(int channel, signed char surround);
FSOUND_API signed char FSOUND_GetSurround(int channel);
FSOUND_API signed char FSOUND_SetMute(int channel, signed char mute);
FSOUND_API signed char FSOUND_GetMute(int channel);
FSOUND_API void FSOUND_SetSFXMasterVolume(int volume);
FSOUND_API signed char FSOUND_StopSound(int channel);
/* The peak of the channel's last mixed block, 0.0 (silence) to 1.0 (full scale). */
FSOUND_API signed char FSOUND_GetCurrentLevels(int channel, float* l, float* r);

/* DSP units, called in ascending priority. The library's FFT unit (priority 1000, inactive at
 * Init) fills the spectrum: FSOUND_SPECTRUM_BANDS magnitudes from 0 to 1 of the final mix. */
FSOUND_API FSOUND_DSPUNIT* FSOUND_DSP_Create(FSOUND_DSPCALLBACK callback, int priority,
                                             void* userdata);
FSOUND_API void FSOUND_DSP_Free(FSOUND_DSPUNIT* unit);
FSOUND_API void FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active);
FSOUND_API signed char FSOUND_DSP_GetActive(FSOUND_DSPUNIT* unit);
FSOUND_API FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit(void);
FSOUND_API float* FSOUND_DSP_GetSpectrum(void);
FSOUND_API int FSOUND_DSP_GetBufferLength(void);      /* frames per mixed block */
FSOUND_API int FSOUND_DSP_GetBufferLengthTotal(void); /* frames of the whole mixing buffer */
FSOUND_API void FSOUND_DSP_ClearMixBuffer(void);
/* Milliseconds until what the mixer mixes now is heard: inside a DSP callback, until the block the
 * unit was given starts to sound (what waits in the output before it). 0 without sound output or
 * before FSOUND_Init. */
FSOUND_API int FSOUND_DSP_GetLatency(void);

#ifdef __cplusplus
}
#endif

#endif
