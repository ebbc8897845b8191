#pragma once

#include <cstdint>
#include <vector>

// 16-bit little-endian PCM to and from sample values, for feeding the effects in tests.
inline std::vector<uint8_t> ToBytes16(const std::vector<int>& samples) {
    std::vector<uint8_t> bytes;
    for (int s : samples) {
        const auto v = static_cast<uint16_t>(static_cast<int16_t>(s));
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return bytes;
}

inline std::vector<int> FromBytes16(const std::vector<uint8_t>& bytes) {
    std::vector<int> samples;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        samples.push_back(
            static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8))));
    return samples;
}

// Runs a 16-bit block through an effect in place and returns the samples.
template <typename Effect> std::vector<int> Run16(Effect& effect, const std::vector<int>& samples) {
    std::vector<uint8_t> bytes = ToBytes16(samples);
    effect.Process(16, bytes.data(), bytes.size());
    return FromBytes16(bytes);
}

template <typename Effect> std::vector<uint8_t> Run8(Effect& effect, std::vector<uint8_t> samples) {
    effect.Process(8, samples.data(), samples.size());
    return samples;
}
