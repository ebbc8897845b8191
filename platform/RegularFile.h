#pragma once

#include <cstdio>
#include <string>

// Opens files that are read as data: only regular files are taken. A FIFO would block the open
// (or the first read) until a writer comes, and a device such as /dev/zero never ends a read, so
// both are refused before anything is read. The open itself never waits: it is made with
// O_NONBLOCK, which is cleared again once the file is known to be a regular one.
class RegularFile {
public:
    // errno after a failed open of something that is neither a regular file nor a folder (a
    // folder gives EISDIR).
    static constexpr int kNotRegular = 0x7FFF;

    // A descriptor open for reading (close-on-exec), or -1 with errno set.
    static int Open(const std::string& path);
    static int Open(const std::u16string& path);
    // The same as a stdio stream ("rb"), or null with errno set.
    static std::FILE* OpenStream(const std::string& path);
    static std::FILE* OpenStream(const std::u16string& path);
    // Whether `path` names a regular file that opens for reading; errno tells why not. For
    // libraries that take only a path.
    static bool Check(const std::string& path);
    static bool Check(const std::u16string& path);

    // What an errno of Open means: the system's text, or "not a regular file".
    static std::string ErrorText(int error);
};
