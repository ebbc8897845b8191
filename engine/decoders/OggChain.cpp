#include "engine/decoders/OggChain.h"

#include <ogg/ogg.h>
#include <tremor/ivorbiscodec.h>

#include <algorithm>
#include <sys/types.h>
#include <vector>

namespace {

constexpr long kChunkBytes = 8192;
// Where the last page is looked for first: the largest page there can be.
constexpr off_t kTailBytes = 65536;

// The next whole page from the file's current position; false at the end of the file.
bool NextPage(FILE* file, ogg_sync_state& sync, ogg_page& page) {
    for (;;) {
        const int found = ogg_sync_pageout(&sync, &page);
        if (found == 1)
            return true;
        if (found < 0)
            continue; // bytes skipped up to the next page
        char* buffer = ogg_sync_buffer(&sync, kChunkBytes);
        const size_t got = buffer ? std::fread(buffer, 1, kChunkBytes, file) : 0;
        if (got == 0)
            return false;
        ogg_sync_wrote(&sync, static_cast<long>(got));
    }
}

// The serial numbers of the streams the file's first pages begin.
std::vector<int> FirstSerials(FILE* file) {
    std::vector<int> serials;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_page page;
    if (fseeko(file, 0, SEEK_SET) == 0) {
        while (NextPage(file, sync, page) && ogg_page_bos(&page))
            serials.push_back(ogg_page_serialno(&page));
    }
    ogg_sync_clear(&sync);
    return serials;
}

// The serial number of the file's last whole page; false when it has none.
bool LastSerial(FILE* file, int& serial) {
    if (fseeko(file, 0, SEEK_END) != 0)
        return false;
    const off_t size = ftello(file);
    for (off_t window = kTailBytes; size > 0; window *= 2) {
        const off_t from = std::max<off_t>(0, size - window);
        bool found = false;
        ogg_sync_state sync;
        ogg_sync_init(&sync);
        ogg_page page;
        if (fseeko(file, from, SEEK_SET) == 0) {
            while (NextPage(file, sync, page)) {
                serial = ogg_page_serialno(&page);
                found = true;
            }
        }
        ogg_sync_clear(&sync);
        if (found || from == 0)
            return found;
    }
    return false;
}

// One link's Vorbis stream while its headers come in.
struct Link {
    ogg_stream_state stream;
    vorbis_info info;
    vorbis_comment comment;
    bool vorbis = false; // the three states above are set up
    int headers = 0;

    // Takes a page that begins a stream: the link's Vorbis stream when it is the first one
    // whose identification header is good.
    void Begin(ogg_page& page) {
        if (vorbis)
            return;
        ogg_stream_init(&stream, ogg_page_serialno(&page));
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
        vorbis = true;
        ogg_packet packet;
        if (ogg_stream_pagein(&stream, &page) == 0 && ogg_stream_packetout(&stream, &packet) == 1 &&
            vorbis_synthesis_headerin(&info, &comment, &packet) == 0)
            headers = 1;
        else
            Clear(); // not Vorbis: another stream of the link may be
    }

    // Takes a later page: false when the headers are damaged or have a gap.
    bool Take(ogg_page& page) {
        if (!vorbis || headers == 3 || ogg_page_serialno(&page) != stream.serialno)
            return true;
        if (ogg_stream_pagein(&stream, &page) != 0)
            return false;
        ogg_packet packet;
        while (headers < 3) {
            const int got = ogg_stream_packetout(&stream, &packet);
            if (got == 0)
                return true;
            if (got < 0 || vorbis_synthesis_headerin(&info, &comment, &packet) != 0)
                return false;
            ++headers;
        }
        return true;
    }

    void Clear() {
        if (vorbis) {
            ogg_stream_clear(&stream);
            vorbis_comment_clear(&comment);
            vorbis_info_clear(&info);
        }
        vorbis = false;
        headers = 0;
    }
};

// Reads the whole file the way the layer finds its links: a link is the streams a run of pages
// begins, and goes on as long as the pages belong to one of them; the first page of another
// stream starts the next link. Every link needs a Vorbis stream whose headers are all in before
// the link ends.
bool WalkLinks(FILE* file) {
    if (fseeko(file, 0, SEEK_SET) != 0)
        return false;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    Link link;
    std::vector<int> serials; // the streams the current link began
    bool beginning = false, intact = true;
    ogg_page page;
    while (intact && NextPage(file, sync, page)) {
        const int serial = ogg_page_serialno(&page);
        const bool known = std::find(serials.begin(), serials.end(), serial) != serials.end();
        if (ogg_page_bos(&page) && !known) {
            if (!beginning) { // the next link
                intact = serials.empty() || link.headers == 3;
                link.Clear();
                serials.clear();
                beginning = true;
            }
            serials.push_back(serial);
            link.Begin(page);
            continue;
        }
        beginning = false;
        // A page of a stream that nothing began where the next link should begin.
        intact = known && link.vorbis && link.Take(page);
    }
    intact = intact && link.headers == 3;
    link.Clear();
    ogg_sync_clear(&sync);
    return intact;
}

} // namespace

bool OggChain::LinksIntact(FILE* file) {
    if (!file)
        return false;
    const std::vector<int> first = FirstSerials(file);
    int last = 0;
    // Without a last page the layer fails early, on its own and cleanly.
    const bool oneLink =
        !LastSerial(file, last) || std::find(first.begin(), first.end(), last) != first.end();
    const bool intact = oneLink || WalkLinks(file);
    std::rewind(file);
    return intact;
}
