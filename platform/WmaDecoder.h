#pragma once

#include "platform/Acm.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

inline constexpr uint16_t kWaveFormatWmaV1 = 0x0160;
inline constexpr uint16_t kWaveFormatWmaV2 = 0x0161;
inline constexpr uint16_t kWaveFormatWmaPro = 0x0162;

// The Windows Media Audio decoder (versions 1 and 2, and Professional where libavcodec has it),
// with libavcodec doing the decoding. It takes the payload bytes of the audio stream in order,
// decodes every whole block (the format's block alignment) and keeps the 16-bit interleaved PCM
// until it is taken.
class WmaDecoder {
public:
    WmaDecoder();
    ~WmaDecoder();
    WmaDecoder(const WmaDecoder&) = delete;
    WmaDecoder& operator=(const WmaDecoder&) = delete;

    // Sets the input format (the stream's wave format); closes what was open. False when
    // libavcodec cannot decode it.
    bool Open(const WaveFormat& format);
    void Close();
    bool IsOpen() const { return m_context != nullptr; }
    int Channels() const { return m_channels; }

    // Takes input bytes and decodes the whole blocks among what it holds. Damaged blocks give
    // nothing; false only when the decoder fails otherwise.
    bool Input(const uint8_t* data, size_t size);
    // Moves up to `room` bytes of decoded PCM (whole sample frames) into `dest`.
    size_t Output(uint8_t* dest, size_t room);
    size_t Pending() const { return m_pcm.size() - m_pcmStart; }
    // No more input follows: decodes a last partial block and what the decoder still holds.
    bool Drain();
    // Forgets everything in flight (input, output and the decoder's state).
    void Flush();

private:
    bool Decode(const uint8_t* data, size_t size);
    bool KeepFrame();

    AVCodecContext* m_context = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    size_t m_blockBytes = 0;
    int m_channels = 0;
    std::vector<uint8_t> m_input; // bytes of the block being gathered
    std::vector<uint8_t> m_block; // one block with zeroed padding after it
    std::vector<uint8_t> m_pcm;
    size_t m_pcmStart = 0;
};
