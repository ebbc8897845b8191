#pragma once

#include <string>

// Tag frames read through the run-time audio library, for MP3 files whose own tags left the
// title or the artist empty. The view binds it to the loaded library; without the library
// Available() is false.
class LibraryTagSource {
public:
    virtual ~LibraryTagSource() = default;

    virtual bool Available() = 0;
    // Opens a file as a stream; the path is 8-bit text in the system code page.
    virtual bool Open(const std::string& path) = 0;
    // The raw bytes of an ID3v2 frame of the open stream; false when it has none.
    virtual bool FindField(const std::string& name, std::string& bytes) = 0;
    virtual void Close() = 0;
};
