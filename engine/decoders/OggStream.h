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

    bool HeadersComplete() const { return m_synthesis; }
    int Channels() const { return m_channels; }
    int Rate() const { return m_rate; }
    int Bitrate() const { return m_bitrate; } // nominal, kbit/s
    // The raw "KEY=value" comments (UTF-8) of the current logical stream.
    const std::vector<std::string>& Comments() const { return m_comments; }

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

    ogg_sync_state m_sync;
    ogg_stream_state m_stream;
    vorbis_info m_info;
    vorbis_comment m_comment;
    vorbis_dsp_state m_dsp;
    vorbis_block m_block;
    bool m_logical = false;   // m_stream, m_info and m_comment are set up
    bool m_synthesis = false; // m_dsp and m_block are set up: all headers are in
    bool m_lastPage = false;  // the logical stream's last page has been taken
    int m_headers = 0;
    int m_channels = 0;
    int m_rate = 0;
    int m_bitrate = 0;
    std::vector<std::string> m_comments;
};
