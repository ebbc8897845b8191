#include "engine/decoders/OggStream.h"

#include <algorithm>
#include <cstring>

OggStream::OggStream() {
    ogg_sync_init(&m_sync);
}

OggStream::~OggStream() {
    EndLogical();
    ogg_sync_clear(&m_sync);
}

void OggStream::Reset() {
    EndLogical();
    ogg_sync_reset(&m_sync);
    m_channels = m_rate = m_bitrate = 0;
    m_comments.clear();
}

size_t OggStream::Feed(const uint8_t* data, size_t bytes) {
    const size_t take = std::min(bytes, kWindowSize);
    if (take == 0)
        return 0;
    char* window = ogg_sync_buffer(&m_sync, static_cast<long>(take));
    if (!window)
        return 0;
    std::memcpy(window, data, take);
    ogg_sync_wrote(&m_sync, static_cast<long>(take));
    return take;
}

bool OggStream::Recognise(const uint8_t* chunk, size_t bytes) {
    Reset();
    Feed(chunk, bytes);

    ogg_page page;
    int found = 0;
    while ((found = ogg_sync_pageout(&m_sync, &page)) < 0) {
    } // bytes before the first page are skipped
    if (found != 1 || !ogg_page_bos(&page))
        return false;
    BeginLogical(ogg_page_serialno(&page));
    if (ogg_stream_pagein(&m_stream, &page) != 0)
        return false;
    m_lastPage = ogg_page_eos(&page) != 0;

    // The identification header is the first page's packet; the other two follow as far as the
    // chunk reaches.
    ogg_packet packet;
    bool good = ogg_stream_packetout(&m_stream, &packet) == 1 && HeaderIn(packet) &&
                m_channels > 0 && m_rate > 0;
    while (good && m_headers < 3 && NextPacket(packet))
        good = HeaderIn(packet);
    if (!good)
        Reset();
    return good;
}

OggStream::Result OggStream::Decode(uint8_t* out, size_t space, size_t& produced) {
    produced = 0;
    for (;;) {
        if (m_synthesis) {
            const size_t frameBytes = 2 * static_cast<size_t>(m_channels);
            const size_t fit = (space - produced) / frameBytes;
            if (fit == 0)
                return kBlockFull;
            ogg_int32_t** pcm = nullptr;
            const int frames = vorbis_synthesis_pcmout(&m_dsp, &pcm);
            if (frames > 0) {
                const int count = static_cast<int>(std::min<size_t>(frames, fit));
                uint8_t* write = out + produced;
                for (int i = 0; i < count; ++i) {
                    for (int channel = 0; channel < m_channels; ++channel) {
                        const auto bits = static_cast<uint16_t>(ToPcm16(pcm[channel][i]));
                        *write++ = static_cast<uint8_t>(bits & 0xFF);
                        *write++ = static_cast<uint8_t>(bits >> 8);
                    }
                }
                vorbis_synthesis_read(&m_dsp, count);
                produced += count * frameBytes;
                continue;
            }
        }

        ogg_packet packet;
        if (!NextPacket(packet))
            return kNeedData;
        if (m_headers < 3) {
            if (!HeaderIn(packet))
                return kError;
            if (m_synthesis)
                return kNewStream;
            continue;
        }
        if (vorbis_synthesis(&m_block, &packet) == 0)
            vorbis_synthesis_blockin(&m_dsp, &m_block);
    }
}

bool OggStream::NextPacket(ogg_packet& packet) {
    for (;;) {
        if (m_logical) {
            const int got = ogg_stream_packetout(&m_stream, &packet);
            if (got == 1)
                return true;
            if (got < 0)
                continue; // a gap in the data: go on with the next packet
            if (m_lastPage) {
                EndLogical(); // a chained stream: the next data starts a new logical stream
                continue;
            }
        }
        ogg_page page;
        const int found = ogg_sync_pageout(&m_sync, &page);
        if (found == 0)
            return false;
        if (found < 0)
            continue; // bytes skipped up to the next page
        if (ogg_page_bos(&page)) {
            EndLogical();
            BeginLogical(ogg_page_serialno(&page));
        } else if (!m_logical) {
            continue; // waiting for the start of a logical stream
        }
        if (ogg_stream_pagein(&m_stream, &page) != 0)
            continue; // a page of another logical stream
        if (ogg_page_eos(&page))
            m_lastPage = true;
    }
}

bool OggStream::HeaderIn(ogg_packet& packet) {
    if (vorbis_synthesis_headerin(&m_info, &m_comment, &packet) != 0)
        return false;
    ++m_headers;
    if (m_headers == 1) {
        m_channels = m_info.channels;
        m_rate = static_cast<int>(m_info.rate);
        m_bitrate =
            m_info.bitrate_nominal > 0 ? static_cast<int>(m_info.bitrate_nominal / 1000) : 0;
    } else if (m_headers == 3) {
        m_comments.clear();
        for (int i = 0; i < m_comment.comments; ++i) {
            if (m_comment.user_comments[i])
                m_comments.emplace_back(m_comment.user_comments[i],
                                        static_cast<size_t>(m_comment.comment_lengths[i]));
        }
        if (vorbis_synthesis_init(&m_dsp, &m_info) != 0) {
            EndLogical(); // nothing decodes without it; wait for the next logical stream
            return false;
        }
        vorbis_block_init(&m_dsp, &m_block);
        m_synthesis = true;
    }
    return true;
}

void OggStream::BeginLogical(int serial) {
    ogg_stream_init(&m_stream, serial);
    vorbis_info_init(&m_info);
    vorbis_comment_init(&m_comment);
    m_logical = true;
    m_lastPage = false;
    m_headers = 0;
}

void OggStream::EndLogical() {
    if (m_synthesis) {
        vorbis_block_clear(&m_block);
        vorbis_dsp_clear(&m_dsp);
    }
    if (m_logical) {
        ogg_stream_clear(&m_stream);
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
    }
    m_synthesis = m_logical = m_lastPage = false;
    m_headers = 0;
}
