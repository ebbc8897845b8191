#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// An 8- or 16-bit PCM WAV file read whole, for comparing what the engine played; 8-bit samples
// are widened to 16 bits.
struct WavFile {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<int16_t> samples; // interleaved

    bool Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE"))
            return false;
        size_t pos = 12;
        while (pos + 8 <= bytes.size()) {
            const std::string id = bytes.substr(pos, 4);
            uint32_t size;
            std::memcpy(&size, bytes.data() + pos + 4, 4);
            pos += 8;
            if (id == "fmt " && pos + 16 <= bytes.size()) {
                uint16_t ch, b;
                uint32_t r;
                std::memcpy(&ch, bytes.data() + pos + 2, 2);
                std::memcpy(&r, bytes.data() + pos + 4, 4);
                std::memcpy(&b, bytes.data() + pos + 14, 2);
                channels = ch, rate = static_cast<int>(r), bits = b;
            } else if (id == "data") {
                const size_t available = std::min<size_t>(size, bytes.size() - pos);
                if (bits == 8) {
                    samples.resize(available);
                    for (size_t i = 0; i < available; ++i)
                        samples[i] = static_cast<int16_t>(
                            (static_cast<unsigned char>(bytes[pos + i]) - 128) * 256);
                } else {
                    samples.resize(available / 2);
                    std::memcpy(samples.data(), bytes.data() + pos, samples.size() * 2);
                }
                return channels > 0 && (bits == 8 || bits == 16);
            }
            pos += size + (size & 1);
        }
        return false;
    }
    size_t Frames() const { return channels ? samples.size() / channels : 0; }

    // The bytes of a 16-bit PCM WAV file holding `samples` (interleaved).
    static std::string Bytes(int channels, int rate, const std::vector<int16_t>& samples) {
        auto put32 = [](std::string& out, uint32_t v) {
            out.append(reinterpret_cast<char*>(&v), 4);
        };
        auto put16 = [](std::string& out, uint16_t v) {
            out.append(reinterpret_cast<char*>(&v), 2);
        };
        const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
        std::string out = "RIFF";
        put32(out, 36 + data);
        out += "WAVEfmt ";
        put32(out, 16);
        put16(out, 1);
        put16(out, static_cast<uint16_t>(channels));
        put32(out, static_cast<uint32_t>(rate));
        put32(out, static_cast<uint32_t>(rate * channels * 2));
        put16(out, static_cast<uint16_t>(channels * 2));
        put16(out, 16);
        out += "data";
        put32(out, data);
        out.append(reinterpret_cast<const char*>(samples.data()), data);
        return out;
    }
};
