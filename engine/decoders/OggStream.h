#pragma once

#include <ogg/ogg.h>
#include <tremor/ivorbiscodec.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An Ogg Vorbis network stream decoded with libogg and Tremor's low-level calls. The caller
// pushes the received bytes in chunks of up to kWindowSize and pulls 16-bit PCM:
//
//     if (!ogg.Recognise(first, firstBytes)) -> not an Ogg Vorbis stream
//     loop:
//         switch (ogg.Decode(block + used, free, produced)) {   // used += produced
//         case kNeedData:  ogg.Feed(next chunk); break;        // the window is used up
//         case kBlockFull: hand the block on; break;           // samples are kept for later
//         case kNewStream: a logical stream's headers are in: Comments(), Channels() and
//                          Rate() now describe it (the samples before were of the old one)
//         case kError:     a broken header: give up
//         }
//
// A chained stream needs nothing from the caller: when a page ends its logical stream all
// states are cleared and the next logical stream's headers are read from the data that follows.
class OggStream {
public:
    static constexpr size_t kWindowSize = 4096;

    enum Result {
        kNeedData = 1,
        kBlockFull = 2,
        kNewStream = 3,
        kError = -1,
    };

    OggStream();
    ~OggStream();
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;

    // Starts over with the first chunk of a stream (up to kWindowSize bytes are taken). True when
    // the first page begins a logical stream whose identification header gives channels and
    // rate, and every further header in the chunk is a good Vorbis header. When the chunk holds
    // all three headers, Comments() is ready now; otherwise Decode() answers kNewStream once
    // the rest has arrived.
    bool Recognise(const uint8_t* chunk, size_t bytes);

    // Hands the next chunk to the window; answers the bytes taken (at most kWindowSize).
    size_t Feed(const uint8_t* data, size_t bytes);

    // Writes interleaved 16-bit little-endian PCM into `out`, first the samples left over from
    // the last call; `produced` is what was written (also with kNeedData and kNewStream).
    Result Decode(uint8_t* out, size_t space, size_t& produced);

    // Drops all states and the window's data.
    void Reset();

    bool HeadersComplete() const { return synthesis_; }
    int Channels() const { return channels_; }
    int Rate() const { return rate_; }
    int Bitrate() const { return bitrate_; } // nominal, kbit/s
    // The raw "KEY=value" comments (UTF-8) of the current logical stream.
    const std::vector<std::string>& Comments() const { return comments_; }

    // A decoded Tremor sample as 16 bits.
    static int16_t ToPcm16(ogg_int32_t sample) {
        sample >>= 9;
        return static_cast<int16_t>(sample > 32767 ? 32767 : sample < -32768 ? -32768 : sample);
    }

private:
    bool NextPacket(ogg_packet& packet);
    // Takes one of the three header packets; false when it is not a good one.
    bool HeaderIn(ogg_packet& packet);
    void BeginLogical(int serial);
    void EndLogical();

    ogg_sync_state sync_;
    ogg_stream_state stream_;
    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    bool logical_ = false;   // stream_, info_ and comment_ are set up
    bool synthesis_ = false; // dsp_ and block_ are set up: all headers are in
    bool lastPage_ = false;  // the logical stream's last page has been taken
    int headers_ = 0;
    int channels_ = 0;
    int rate_ = 0;
    int bitrate_ = 0;
    std::vector<std::string> comments_;
};
