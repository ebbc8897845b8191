#include "runtime/StreamDecoder.h"

#include "platform/RegularFile.h"
#include "runtime/Mpg123Decoder.h"
#include "runtime/SndFileDecoder.h"
#include "runtime/VorbisFileDecoder.h"
#include "runtime/fsound.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

enum class Kind { Unknown, Mpeg, Ogg, SoundFile };

// The first four bytes are a plausible MPEG audio frame header: sync, a known version and
// layer, a bitrate index other than 15 and a known sampling rate.
bool IsFrameHeader(const unsigned char* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return false;
    const int version = (b[1] >> 3) & 3;
    const int layer = (b[1] >> 1) & 3;
    const int bitrate = b[2] >> 4;
    const int rate = (b[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitrate != 15 && rate != 3;
}

Kind KindOfContent(const unsigned char* b, size_t size) {
    if (size >= 10 && std::memcmp(b, "ID3", 3) == 0 && b[3] >= 2 && b[3] <= 4)
        return Kind::Mpeg;
    if (size >= 4 && std::memcmp(b, "OggS", 4) == 0)
        return Kind::Ogg;
    if (size >= 4 && IsFrameHeader(b))
        return Kind::Mpeg;
    static const char* const soundFileMagic[] = {"RIFF", "RIFX", "RF64", "FORM",
                                                 "fLaC", ".snd", "caff", "wvpk"};
    for (const char* magic : soundFileMagic)
        if (size >= 4 && std::memcmp(b, magic, 4) == 0)
            return Kind::SoundFile;
    return Kind::Unknown;
}

Kind KindOfExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return Kind::Unknown;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "mp3" || extension == "mp2" || extension == "mp1" || extension == "mpga")
        return Kind::Mpeg;
    if (extension == "ogg" || extension == "oga")
        return Kind::Ogg;
    return Kind::Unknown;
}

// Closes the checked file at the end of the open; the decoders get copies of it.
struct FileCloser {
    int fd;
    ~FileCloser() { close(fd); }
};

// A descriptor of its own for a decoder, at the start of the file.
int CopyAtStart(int fd) {
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy >= 0)
        lseek(copy, 0, SEEK_SET);
    return copy;
}

} // namespace

std::unique_ptr<StreamDecoder> StreamDecoder::Open(const std::string& path, bool exactLength,
                                                   int& error) {
    error = FMOD_ERR_NONE;
    // Only a regular file is decoded: a FIFO or a device would hang a reading decoder.
    const int fd = RegularFile::Open(path);
    if (fd < 0) {
        error = FMOD_ERR_FILE_NOTFOUND;
        return nullptr;
    }
    const FileCloser closer{fd};
    unsigned char head[16] = {};
    const ssize_t got = pread(fd, head, sizeof head, 0);
    const size_t size = got > 0 ? static_cast<size_t>(got) : 0;

    Kind kind = KindOfContent(head, size);
    // The extension only decides for contents that say nothing themselves (an MPEG file with
    // junk in front of its first frame, say). A decoder picked that way that then fails means
    // no decoder took the file.
    const bool byContent = kind != Kind::Unknown;
    if (!byContent)
        kind = KindOfExtension(path);

    std::unique_ptr<StreamDecoder> decoder;
    switch (kind) {
    case Kind::Mpeg:
        decoder = Mpg123Decoder::Open(CopyAtStart(fd), exactLength, error);
        break;
    case Kind::Ogg:
        decoder = VorbisFileDecoder::Open(CopyAtStart(fd), error);
        // Ogg that isn't Vorbis (FLAC or Opus in Ogg) may still be libsndfile's.
        if (!decoder && error == FMOD_ERR_FILE_FORMAT)
            decoder = SndFileDecoder::Open(CopyAtStart(fd), error);
        break;
    case Kind::SoundFile:
    case Kind::Unknown:
        decoder = SndFileDecoder::Open(CopyAtStart(fd), error);
        // MPEG audio in a WAV file (format tags 0x50 and 0x55), which libsndfile may not take:
        // mpg123 finds the frames after the RIFF header.
        if (!decoder && size >= 4 && std::memcmp(head, "RIFF", 4) == 0) {
            int mpegError = FMOD_ERR_NONE;
            decoder = Mpg123Decoder::Open(CopyAtStart(fd), exactLength, mpegError);
        }
        break;
    }
    if (!decoder && !byContent && error == FMOD_ERR_FILE_BAD)
        error = FMOD_ERR_FILE_FORMAT;
    if (decoder)
        error = FMOD_ERR_NONE;
    return decoder;
}
