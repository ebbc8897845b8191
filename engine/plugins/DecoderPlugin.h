/* Decoder plug-ins: shared libraries that export
 *
 *     const DecoderPlugin* GetDecoderPlugin(void);
 *
 * The player loads every "*.so" beside its executable and in lib/sonvale/plugins that exports it,
 * and accepts the table when the version word is DECODER_PLUGIN_VERSION, the level word is
 * DECODER_PLUGIN_LEVEL and every entry is set. Texts are UTF-16; sizes are 32-bit words,
 * pointers native. Entries answering a BOOL use 0 for false and anything else for true. */
#ifndef SONVALE_DECODER_PLUGIN_H
#define SONVALE_DECODER_PLUGIN_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define DECODER_PLUGIN_VERSION 0x0101
#define DECODER_PLUGIN_LEVEL 2

/* Capability bits (the Caps entry). */
#define DECODER_PLUGIN_FILES 0x01   /* CheckFile, OpenFile, Begin, Decode, End, CloseFile */
#define DECODER_PLUGIN_STREAMS 0x02 /* OpenStream, DecodeStream, CloseStream */
#define DECODER_PLUGIN_EQ 0x04      /* applies the equalizer itself (SetEq) */
#define DECODER_PLUGIN_SEEK 0x08
#define DECODER_PLUGIN_TAGS 0x10

/* Room, in UTF-16 units, of the texts the Name and Ext entries write. */
#define DECODER_PLUGIN_TEXT 260

/* Results of Decode and DecodeStream. */
#define DECODER_PLUGIN_MORE 0
#define DECODER_PLUGIN_LAST 1
#define DECODER_PLUGIN_ERROR (-1)

typedef struct DecoderPluginFileInfo {
    int32_t channels;
    int32_t sampleRate;
    int32_t bitsPerSample;
    int32_t bitrate; /* kbit/s */
    int32_t duration; /* ms */
} DecoderPluginFileInfo;

typedef struct DecoderPluginStreamInfo {
    int32_t channels;
    int32_t sampleRate;
    int32_t bitsPerSample;
    int32_t bitrate;
} DecoderPluginStreamInfo;

/* Levels 0..63, 31 = 0 dB. */
typedef struct DecoderPluginEqualizer {
    int32_t enabled;
    int32_t preamp;
    int32_t bands[10];
} DecoderPluginEqualizer;

typedef struct DecoderPluginTag {
    char16_t title[255];
    char16_t artist[255];
    char16_t album[255];
    char16_t comment[255];
    char16_t genre[255];
    int32_t year;
    int32_t track;
} DecoderPluginTag;

/* The output block: before each Decode the player sets bufferLength to the block size and
 * bytesUsed to 0; the plug-in writes interleaved little-endian PCM at the width it reported and
 * sets bytesUsed. The other words belong to the device. */
typedef struct DecoderPluginBlock {
    uint8_t* data;
    uint32_t bufferLength;
    uint32_t bytesUsed;
    uintptr_t user;
    uint32_t flags;
    uint32_t loops;
    void* next;
    uintptr_t reserved;
} DecoderPluginBlock;

typedef struct DecoderPlugin {
    uint32_t version; /* DECODER_PLUGIN_VERSION */
    uint32_t level;   /* DECODER_PLUGIN_LEVEL; passed to Init */
    uint32_t reserved;
    void (*Init)(int32_t level);
    void (*Quit)(void);
    uint32_t (*Caps)(void);
    void (*Name)(char16_t* text);
    void (*SetEq)(const DecoderPluginEqualizer* equalizer);
    void (*Config)(void* window);
    int32_t (*ExtCount)(void);
    int32_t (*Ext)(int32_t index, char16_t* extension, char16_t* description);
    int32_t (*CheckFile)(const char16_t* path);
    int32_t (*OpenFile)(const char16_t* path, DecoderPluginFileInfo* info);
    int32_t (*Seek)(int32_t ms); /* the ms reached, or -1 */
    int32_t (*Begin)(void);
    int32_t (*Decode)(DecoderPluginBlock* block);
    void (*End)(void);
    void (*CloseFile)(void);
    int32_t (*Tag)(DecoderPluginTag* tag);
    int32_t (*FileTag)(const char16_t* path, DecoderPluginTag* tag);
    int32_t (*OpenStream)(const uint8_t* data, int32_t length, DecoderPluginStreamInfo* info);
    int32_t (*DecodeStream)(const uint8_t* data, int32_t length, int32_t* consumed,
                            DecoderPluginBlock* block);
    void (*CloseStream)(void);
} DecoderPlugin;

typedef const DecoderPlugin* (*GetDecoderPluginFunction)(void);

#ifdef __cplusplus
}
#endif

#endif
