#include "engine/decoders/OggStream.h"

#include <algorithm>
#include <cstring>

OggStream::OggStream() {
    ogg_sync_init(&sync_);
}

OggStream::~OggStream() {
    EndLogical();
    ogg_sync_clear(&sync_);
}

void OggStream::Reset() {
    EndLogical();
    ogg_sync_reset(&sync_);
    channels_ = rate_ = bitrate_ = 0;
    comments_.clear();
}

size_t OggStream::Feed(const uint8_t* data, size_t bytes) {
    const size_t take = std::min(bytes, kWindowSize);
    if (take == 0)
        return 0;
    char* window = ogg_sync_buffer(&sync_, static_cast<long>(take));
    if (!window)
        return 0;
    std::memcpy(window, data, take);
    ogg_sync_wrote(&sync_, static_cast<long>(take));
    return take;
}

bool OggStream::Recognise(const uint8_t* chunk, size_t bytes) {
    Reset();
    Feed(chunk, bytes);

    ogg_page page;
    int found = 0;
    while ((found = ogg_sync_pageout(&sync_, &page)) < 0) {
    } // bytes before the first page are skipped
    if (found != 1 || !ogg_page_bos(&page))
        return false;
    BeginLogical(ogg_page_serialno(&page));
    if (ogg_stream_pagein(&stream_, &page) != 0)
        return false;
    lastPage_ = ogg_page_eos(&page) != 0;

    // The identification header is the first page's packet; the other two follow as far as the
    // chunk reaches.
    ogg_packet packet;
    bool good = ogg_stream_packetout(&stream_, &packet) == 1 && HeaderIn(packet) && channels_ > 0 &&
                rate_ > 0;
    while (good && headers_ < 3 && NextPacket(packet))
        good = HeaderIn(packet);
    if (!good)
        Reset();
    return good;
}

OggStream::Result OggStream::Decode(uint8_t* out, size_t space, size_t& produced) {
    produced = 0;
    for (;;) {
        if (synthesis_) {
            const size_t frameBytes = 2 * static_cast<size_t>(channels_);
            const size_t fit = (space - produced) / frameBytes;
            if (fit == 0)
                return kBlockFull;
            ogg_int32_t** pcm = nullptr;
            const int frames = vorbis_synthesis_pcmout(&dsp_, &pcm);
            if (frames > 0) {
                const int count = static_cast<int>(std::min<size_t>(frames, fit));
                uint8_t* write = out + produced;
                for (int i = 0; i < count; ++i) {
                    for (int channel = 0; channel < channels_; ++channel) {
                        const auto bits = static_cast<uint16_t>(ToPcm16(pcm[channel][i]));
                        *write++ = static_cast<uint8_t>(bits & 0xFF);
                        *write++ = static_cast<uint8_t>(bits >> 8);
                    }
                }
                vorbis_synthesis_read(&dsp_, count);
                produced += count * frameBytes;
                continue;
            }
        }

        ogg_packet packet;
        if (!NextPacket(packet))
            return kNeedData;
        if (headers_ < 3) {
            if (!HeaderIn(packet))
                return kError;
            if (synthesis_)
                return kNewStream;
            continue;
        }
        if (vorbis_synthesis(&block_, &packet) == 0)
            vorbis_synthesis_blockin(&dsp_, &block_);
    }
}

bool OggStream::NextPacket(ogg_packet& packet) {
    for (;;) {
        if (logical_) {
            const int got = ogg_stream_packetout(&stream_, &packet);
            if (got == 1)
                return true;
            if (got < 0)
                continue; // a gap in the data: go on with the next packet
            if (lastPage_) {
                EndLogical(); // a chained stream: the next data starts a new logical stream
                continue;
            }
        }
        ogg_page page;
        const int found = ogg_sync_pageout(&sync_, &page);
        if (found == 0)
            return false;
        if (found < 0)
            continue; // bytes skipped up to the next page
        if (ogg_page_bos(&page)) {
            EndLogical();
            BeginLogical(ogg_page_serialno(&page));
        } else if (!logical_) {
            continue; // waiting for the start of a logical stream
        }
        if (ogg_stream_pagein(&stream_, &page) != 0)
            continue; // a page of another logical stream
        if (ogg_page_eos(&page))
            lastPage_ = true;
    }
}

bool OggStream::HeaderIn(ogg_packet& packet) {
    if (vorbis_synthesis_headerin(&info_, &comment_, &packet) != 0)
        return false;
    ++headers_;
    if (headers_ == 1) {
        channels_ = info_.channels;
        rate_ = static_cast<int>(info_.rate);
        bitrate_ = info_.bitrate_nominal > 0 ? static_cast<int>(info_.bitrate_nominal / 1000) : 0;
    } else if (headers_ == 3) {
        comments_.clear();
        for (int i = 0; i < comment_.comments; ++i) {
            if (comment_.user_comments[i])
                comments_.emplace_back(comment_.user_comments[i],
                                       static_cast<size_t>(comment_.comment_lengths[i]));
        }
        if (vorbis_synthesis_init(&dsp_, &info_) != 0) {
            EndLogical(); // nothing decodes without it; wait for the next logical stream
            return false;
        }
        vorbis_block_init(&dsp_, &block_);
        synthesis_ = true;
    }
    return true;
}

void OggStream::BeginLogical(int serial) {
    ogg_stream_init(&stream_, serial);
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
    logical_ = true;
    lastPage_ = false;
    headers_ = 0;
}

void OggStream::EndLogical() {
    if (synthesis_) {
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
    }
    if (logical_) {
        ogg_stream_clear(&stream_);
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
    synthesis_ = logical_ = lastPage_ = false;
    headers_ = 0;
}
