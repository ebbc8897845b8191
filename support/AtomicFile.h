#pragma once

#include <string>
#include <string_view>

// Whole-file writes that a crash, a kill or a power loss can't leave half done: the bytes go to
// a temporary file beside the target, are flushed to the disk, and the temporary file is then
// renamed over the target and the folder flushed. A reader sees the old file or the new one.
class AtomicFile {
public:
    // Replaces (or creates) the file at `path` (native, UTF-8) with `bytes`. A symbolic link is
    // followed: the file it points to is replaced. An existing file keeps its permissions; a new
    // one gets 0666 less the umask. False when any step failed; the old file is then untouched
    // and no temporary file is left.
    static bool Write(const std::string& path, std::string_view bytes);
};
