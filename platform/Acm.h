#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct AVCodec;
struct AVCodecContext;
struct AVCodecParserContext;
struct AVFrame;
struct AVPacket;

// A wave format record as a RIFF "fmt " chunk holds it: the 16 fixed bytes, then the size of the
// extra bytes and the extra bytes themselves.
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::vector<uint8_t> extra;

    // Reads `size` bytes of a format chunk: at least the 16 fixed bytes; the extra bytes are as
    // many as the size word after them names, cut to what is there.
    static bool FromBytes(const uint8_t* bytes, size_t size, WaveFormat& format);
};

inline constexpr uint16_t kWaveFormatPcm = 0x0001;
inline constexpr uint16_t kWaveFormatMsAdpcm = 0x0002;
inline constexpr uint16_t kWaveFormatIeeeFloat = 0x0003;
inline constexpr uint16_t kWaveFormatAlaw = 0x0006;
inline constexpr uint16_t kWaveFormatMulaw = 0x0007;
inline constexpr uint16_t kWaveFormatImaAdpcm = 0x0011;
inline constexpr uint16_t kWaveFormatGsm610 = 0x0031;
inline constexpr uint16_t kWaveFormatMpeg = 0x0050;
inline constexpr uint16_t kWaveFormatMpegLayer3 = 0x0055;
inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// The audio compression manager: turns wave formats into PCM, with libavcodec doing the
// decoding. Covers PCM (8, 16, 24, 32 bits), IEEE float (32, 64 bits), MS and IMA ADPCM,
// A-law, mu-law, GSM 6.10, MPEG audio and the extensible format over any of these.
//
// A conversion stream turns the source format into 16-bit PCM (8-bit when the source is 8-bit
// PCM), interleaved and little-endian, with the source's channels and rate. It converts whole
// source blocks (whole MPEG frames); what a block yields beyond the destination's room is kept
// and handed out first by the next conversion.
class Acm {
public:
    Acm();
    ~Acm();
    Acm(const Acm&) = delete;
    Acm& operator=(const Acm&) = delete;

    // The PCM format a conversion from `source` gives (a suggestion restricted to the PCM tag):
    // same channels and rate, 16 bits unless `source` is 8-bit PCM. False when the format cannot
    // be decoded, or has no channels, more than 8 or no rate.
    static bool SuggestPcm(const WaveFormat& source, WaveFormat& pcm);
    // `decoder` opened for `format` (rate, channels, block alignment, bits, byte rate and the
    // extra bytes, with the zero padding libavcodec reads past them); null when it fails. The
    // caller frees it with avcodec_free_context.
    static AVCodecContext* OpenDecoderFor(const AVCodec* decoder, const WaveFormat& format);

    // Opens a conversion stream from `source` to `pcm` (a format SuggestPcm gave for it); closes
    // the one open before.
    bool Open(const WaveFormat& source, const WaveFormat& pcm);
    void Close();
    bool IsOpen() const { return m_context != nullptr; }

    // Source bytes whose conversion fills at most `destBytes` (what is kept from the last
    // conversion counts in). At least one source block while the kept bytes leave room, so that
    // a conversion always moves on.
    bool SourceBytesFor(size_t destBytes, size_t& sourceBytes) const;
    // The smallest piece of source the stream converts: the block alignment, a PCM sample frame,
    // 1 for MPEG audio.
    size_t SourceBlockBytes() const { return m_blockBytes; }
    // Sample frames one source block yields; 0 when that varies (MPEG audio).
    size_t SourceBlockFrames() const { return m_blockFrames; }

    // Converts source[0, sourceBytes) into dest[0, destBytes): `sourceUsed` and `destUsed` are
    // the bytes of each taken. A partial block at the end of the source is left unused unless
    // `end` says no more source follows (it is dropped then, and the decoder's last output is
    // flushed). Damaged blocks are skipped. False when the decoder fails for another reason.
    bool Convert(const uint8_t* source, size_t sourceBytes, uint8_t* dest, size_t destBytes,
                 bool end, size_t& sourceUsed, size_t& destUsed);

    // Forgets everything in flight: the kept output, the decoder's and the frame splitter's state.
    bool Reset();

private:
    // Sends one packet (null: drain the decoder) and keeps every frame it gives.
    bool Decode(const uint8_t* data, size_t size);
    bool KeepFrame();
    size_t TakeKept(uint8_t* dest, size_t destBytes);
    size_t NextPacket(const uint8_t* source, size_t bytes, size_t destRoom, bool end,
                      const uint8_t*& packet, size_t& packetBytes);

    AVCodecContext* m_context = nullptr;
    AVCodecParserContext* m_parser = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;

    bool m_pcmLike = false;   // one sample frame per block; the packet size is free
    size_t m_blockBytes = 0;  // source bytes per block
    size_t m_blockFrames = 0; // sample frames a block yields; 0 when not fixed (MPEG)
    uint32_t m_avgBytes = 0;  // source bytes per second
    uint32_t m_rate = 0;      // samples per second
    int m_channels = 0;       // output channels
    int m_outBytes = 2;       // output bytes per sample: 2, or 1 for 8-bit PCM
    bool m_drained = false;   // the end was converted; only kept output remains

    std::vector<uint8_t> m_parseInput; // the frame splitter's input, with zeroed padding after it
    std::vector<uint8_t> m_kept;       // converted bytes that did not fit the destination
    size_t m_keptStart = 0;
    size_t m_keptEnd = 0;
};
