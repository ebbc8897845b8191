#pragma once

#include "lyrics/TagLyrics.h"
#include "playlist/LibraryTagSource.h"
#include "runtime/fsound.h"

#include <string>

struct FmodFunctions;

// The run-time library as the source of tag fields: for the playlist's fallback (a stream opened
// just for its frames) and for the lyrics in the tags of the track that is open.
class FmodTagSource : public LibraryTagSource {
public:
    // `fsound` null or not initialised: nothing is available.
    explicit FmodTagSource(const FmodFunctions* fsound) : m_fsound(fsound) {}
    ~FmodTagSource() override { Close(); }
    FmodTagSource(const FmodTagSource&) = delete;
    FmodTagSource& operator=(const FmodTagSource&) = delete;

    bool Available() override;
    bool Open(const std::string& path) override;
    bool FindField(const std::string& name, std::string& bytes) override;
    void Close() override;

    // Looks up ID3v2 frames (and Vorbis comments) of an open stream by name.
    static TagLyrics::TagFieldFinder Finder(const FmodFunctions& fsound, FSOUND_STREAM* stream);

    // The mode a stream opened only for its tags uses.
    static constexpr unsigned int kTagOpenMode = 0x80150;

private:
    const FmodFunctions* m_fsound;
    FSOUND_STREAM* m_stream = nullptr;
};
