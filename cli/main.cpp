// sonvale-cli: the built-in engine without the window.
//   play FILE     real-time playback on the chosen backend ($SONVALE_AUDIO) with a status line
//   play URL      the same for an http:// or https:// radio stream: station, stream title,
//                 elapsed time; exits 0 when the stream ended, 1 when it failed
//   decode FILE   through the whole engine into a WAV file, faster than real time
//   info FILE     what the engine knows of the file
//   lyrics FILE   the track's timed lyrics ([--download] from the lyrics services when it has none)

#include "cli/CliOptions.h"
#include "cli/LyricsCommand.h"
#include "cli/Terminal.h"
#include "cli/WavWriter.h"
#include "cli/WavWriterDevice.h"
#include "engine/core/FileReader.h"
#include "engine/decoders/AsfFile.h"
#include "engine/player/Player.h"
#include "engine/player/PlayerApi.h"
#include "engine/plugins/WmaPlugin.h"
#include "engine/stream/StreamUrl.h"
#include "platform/QueueMessageSink.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

namespace {

struct PlayerDeleter {
    void operator()(Player* p) const { PlayerDestroy(p); }
};
using PlayerPtr = std::unique_ptr<Player, PlayerDeleter>;

std::string Clock(int32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", ms / 60000, ms / 1000 % 60);
    return text;
}

const char* StatusName(PlayerStatus status) {
    switch (status) {
    case PlayerStatusPlay:
        return "Playing";
    case PlayerStatusPause:
        return "Paused";
    case PlayerStatusPreparing:
        return "Preparing";
    default:
        return "Stopped";
    }
}

bool IsUrl(const std::string& text) {
    return StreamUrl::HasWebScheme(text);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The format tag and sample width of a RIFF WAVE file's "fmt " chunk (for the extensible
// format, the tag its sub-format names); false for any other file.
bool WaveFormatOf(const std::string& path, int& tag, int& bits) {
    std::FILE* file = RegularFile::OpenStream(path);
    if (!file)
        return false;
    uint8_t head[12] = {};
    bool found = false;
    if (std::fread(head, 1, sizeof head, file) == sizeof head &&
        std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) {
        uint8_t chunk[8] = {};
        while (!found && std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {
            const long size = chunk[4] | chunk[5] << 8 | chunk[6] << 16 | long{chunk[7]} << 24;
            uint8_t format[40] = {};
            if (std::memcmp(chunk, "fmt ", 4) != 0 || size < 16) {
                if (std::fseek(file, size + (size & 1), SEEK_CUR) != 0)
                    break;
                continue;
            }
            const size_t got = std::fread(format, 1, std::min<size_t>(sizeof format, size), file);
            tag = format[0] | format[1] << 8;
            bits = format[14] | format[15] << 8;
            if (tag == 0xFFFE && got >= 26)
                tag = format[24] | format[25] << 8;
            found = got >= 16;
        }
    }
    std::fclose(file);
    return found;
}

std::string WaveCodecName(int tag, int bits) {
    switch (tag) {
    case 0x0001:
        return std::to_string(bits) + "-bit PCM";
    case 0x0002:
        return "MS ADPCM";
    case 0x0003:
        return std::to_string(bits) + "-bit float";
    case 0x0006:
        return "A-law";
    case 0x0007:
        return "mu-law";
    case 0x0011:
        return "IMA ADPCM";
    case 0x0031:
        return "GSM 6.10";
    default: {
        char text[32];
        std::snprintf(text, sizeof text, "format tag 0x%04X", static_cast<unsigned>(tag));
        return text;
    }
    }
}

// "ASF, ..." for a Windows Media Audio file.
std::optional<std::string> AsfCodecName(const std::string& path) {
    FileReader file;
    AsfFile asf;
    if (!file.Open(TextCodec::Utf8ToUtf16(path)) || !AsfFile::Read(file, asf) ||
        asf.waveFormat.size() < 2)
        return std::nullopt;
    switch (asf.waveFormat[0] | asf.waveFormat[1] << 8) {
    case 0x160:
        return "ASF, Windows Media Audio 1";
    case 0x161:
        return "ASF, Windows Media Audio 2";
    case 0x162:
        return "ASF, Windows Media Audio Professional";
    default:
        return std::nullopt;
    }
}

// The container and the codec, as the engine decodes the file.
std::string FormatName(Player& player, const std::string& path, const PlayerFileInfo& info) {
    int tag = 0, bits = 0;
    const bool wave = WaveFormatOf(path, tag, bits);
    switch (player.SourceType()) {
    case SourceMpeg: {
        const std::string mpeg = std::string("MPEG-") +
                                 (info.mpegVersion == 1   ? "1"
                                  : info.mpegVersion == 2 ? "2"
                                                          : "2.5") +
                                 " Layer " + std::to_string(info.mpegLayer);
        return wave ? "WAV, " + mpeg : mpeg;
    }
    case SourceOgg:
        return "Ogg Vorbis";
    case SourceWav:
        return "WAV, " + (wave ? WaveCodecName(tag, bits) : std::string("unknown codec"));
    case SourcePlugin:
        return AsfCodecName(path).value_or("decoded by a plug-in");
    default:
        return "unknown";
    }
}

// Sets up the player (by default one on the audio output of $SONVALE_AUDIO) with the command
// line's settings and opens the file.
PlayerPtr OpenPlayer(const CliOptions& o, QueueMessageSink& sink,
                     PlayerPtr player = PlayerPtr(PlayerCreate())) {
    if (!player) {
        std::fprintf(stderr, "sonvale-cli: out of memory\n");
        return nullptr;
    }
    PlayerAddDecoder(player.get(), WmaDecoderPlugin());
    PlayerSetOwner(player.get(), &sink);
    if (!PlayerSetOptions(player.get(), &o.player)) {
        std::fprintf(stderr, "sonvale-cli: buffer or prebuffer out of range\n");
        return nullptr;
    }
    if (o.equalizer)
        PlayerSetEqualizer(player.get(), &*o.equalizer);
    if (o.surround)
        PlayerSetEffect(player.get(), EffectSurround, &*o.surround);
    if (o.chorus)
        PlayerSetEffect(player.get(), Effect3DChorus, &*o.chorus);
    if (o.echo)
        PlayerSetEffect(player.get(), EffectEcho, &*o.echo);
    if (o.reverb)
        PlayerSetEffect(player.get(), EffectReverb, &*o.reverb);
    PlayerSetBassBoost(player.get(), o.bassBoost);
    const std::u16string path = TextCodec::Utf8ToUtf16(o.file);
    if (IsUrl(o.file)) {
        if (!PlayerOpenUrl(player.get(), path.c_str())) {
            std::fprintf(stderr, "sonvale-cli: cannot open %s\n", o.file.c_str());
            return nullptr;
        }
        return player;
    }
    // Said before the engine tries: a missing or unreadable file, a folder, a FIFO or a device.
    if (!RegularFile::Check(o.file)) {
        std::fprintf(stderr, "sonvale-cli: cannot open %s: %s\n", o.file.c_str(),
                     RegularFile::ErrorText(errno).c_str());
        return nullptr;
    }
    if (!PlayerOpenFile(player.get(), path.c_str())) {
        std::fprintf(stderr, "sonvale-cli: cannot open %s: not a file the engine can play\n",
                     o.file.c_str());
        return nullptr;
    }
    return player;
}

// Waits for the playback to stop; answers the stop's lParam.
intptr_t WaitForStop(QueueMessageSink& sink) {
    for (;;) {
        const auto m = sink.TakeMessage(WM_PLAYER_STATUS, 1000);
        if (m && m->wParam == PlayerStatusStop)
            return m->lParam;
    }
}

int Info(CliOptions o) {
    if (IsUrl(o.file)) {
        std::fprintf(stderr, "sonvale-cli: info takes files only, not stream URLs\n");
        return 1;
    }
    // Nothing plays here, so there is time to count every frame: a VBR file without a frame
    // count would otherwise show the length its first frame suggests.
    o.player.scanMpegCompletely = 1;
    QueueMessageSink sink;
    PlayerPtr player = OpenPlayer(o, sink);
    if (!player)
        return 1;
    PlayerFileInfo info;
    PlayerGetFileInfo(player.get(), &info);
    std::printf("File:        %s\n", o.file.c_str());
    std::printf("Format:      %s\n", FormatName(*player, o.file, info).c_str());
    std::printf("Channels:    %d\n", info.channels);
    std::printf("Sample rate: %d Hz\n", info.sampleRate);
    std::printf("Bitrate:     %d kbit/s\n", info.bitrate);
    std::printf("Duration:    %s (%d ms)\n", Clock(info.duration).c_str(), info.duration);
    TagInfo tag;
    if (PlayerGetTag(player.get(), &tag)) {
        const std::pair<const char*, const char16_t*> texts[] = {{"Title", tag.title},
                                                                 {"Artist", tag.artist},
                                                                 {"Album", tag.album},
                                                                 {"Comment", tag.comment},
                                                                 {"Genre", tag.genre}};
        for (const auto& [name, text] : texts)
            if (*text)
                std::printf("%-12s %s\n", (std::string(name) + ":").c_str(),
                            TextCodec::Utf16ToUtf8(text).c_str());
        if (tag.year)
            std::printf("Year:        %d\n", tag.year);
        if (tag.track)
            std::printf("Track:       %d\n", tag.track);
    }
    return 0;
}

int Decode(CliOptions o) {
    // The whole engine runs into the WAV file, as fast as the machine allows.
    WavWriter writer;
    o.player.alwaysOpenDevice = 0;
    QueueMessageSink sink;
    auto device = [&writer] { return std::make_unique<WavWriterDevice>(writer); };
    PlayerPtr player = OpenPlayer(o, sink, PlayerPtr(new (std::nothrow) Player(device)));
    if (!player)
        return 1;
    switch (writer.Open(o.output, o.file)) {
    case WavWriter::OpenResult::kOk:
        break;
    case WavWriter::OpenResult::kSameAsInput:
        std::fprintf(stderr, "sonvale-cli: %s is the input file; it is left as it is\n",
                     o.output.c_str());
        return 1;
    case WavWriter::OpenResult::kFailed:
        std::fprintf(stderr, "sonvale-cli: cannot write %s: %s\n", o.output.c_str(),
                     std::strerror(writer.Error()));
        return 1;
    }
    if (!PlayerPlay(player.get())) {
        std::fprintf(stderr, "sonvale-cli: cannot start decoding %s\n", o.file.c_str());
        return 1;
    }
    const intptr_t result = WaitForStop(sink);
    player.reset(); // the decoding and output threads are done with the writer
    if (!writer.Close()) {
        std::fprintf(stderr, "sonvale-cli: writing %s failed: %s\n", o.output.c_str(),
                     std::strerror(writer.Error()));
        return 1;
    }
    if (result & kPlayerStoppedOnError) {
        std::fprintf(stderr, "sonvale-cli: decoding %s failed\n", o.file.c_str());
        return 1;
    }
    if (writer.DataBytes() == 0) {
        std::fprintf(stderr, "sonvale-cli: no audio could be decoded from %s\n", o.file.c_str());
        return 1;
    }
    return 0;
}

int Play(const CliOptions& o) {
    QueueMessageSink sink;
    PlayerPtr player = OpenPlayer(o, sink);
    if (!player)
        return 1;
    if (!PlayerPlay(player.get())) {
        std::fprintf(stderr, "sonvale-cli: cannot start playing %s\n", o.file.c_str());
        return 1;
    }
    Terminal terminal;
    const bool stream = IsUrl(o.file);
    const std::string title = BaseName(o.file);
    const int32_t duration = PlayerGetDuration(player.get());
    std::string streamTitle;
    intptr_t stopped = -1;
    while (stopped < 0) {
        switch (terminal.ReadKey(200)) {
        case Terminal::kPause:
            PlayerPause(player.get());
            break;
        case Terminal::kBack:
            PlayerRewind(player.get(), 5000);
            break;
        case Terminal::kForward:
            PlayerForward(player.get(), 5000);
            break;
        case Terminal::kQuit:
            PlayerStop(player.get());
            break;
        case Terminal::kNone:
            break;
        }
        while (const auto m = sink.Take(0)) {
            if (m->message == WM_PLAYER_STATUS && m->wParam == PlayerStatusStop)
                stopped = m->lParam;
            // The text behind wParam is overwritten by the next title: copy it at once.
            if (m->message == WM_PLAYER_STREAMTITLE && m->wParam)
                streamTitle = TextCodec::Utf16ToUtf8(reinterpret_cast<const char16_t*>(m->wParam));
        }
        const std::string elapsed = Clock(PlayerGetPosition(player.get()));
        const char* state = StatusName(PlayerGetStatus(player.get()));
        if (stream) {
            char16_t name[260] = {};
            PlayerGetStreamInfo(player.get(), name, nullptr, nullptr);
            const std::string station = name[0] ? TextCodec::Utf16ToUtf8(name) : o.file;
            std::printf("\r%s%s%s  %s  [%s]   ", station.c_str(), streamTitle.empty() ? "" : " - ",
                        streamTitle.c_str(), elapsed.c_str(), state);
        } else {
            std::printf("\r%s  %s / %s  [%s]   ", title.c_str(), elapsed.c_str(),
                        Clock(duration).c_str(), state);
        }
        std::fflush(stdout);
    }
    std::printf("\n");
    if (stopped & kPlayerStoppedOnError) {
        if (stream)
            std::fprintf(stderr,
                         "sonvale-cli: the stream %s failed: no connection, refused by the server "
                         "or its certificate, broken off or not audio\n",
                         o.file.c_str());
        else
            std::fprintf(stderr, "sonvale-cli: playing %s failed\n", o.file.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const CliOptions options = CliOptions::Parse(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "sonvale-cli: %s\n%s", options.error.c_str(), CliOptions::Usage());
        return 2;
    }
    if (options.command == "info")
        return Info(options);
    if (options.command == "decode")
        return Decode(options);
    if (options.command == "lyrics")
        return PrintLyrics(options.file, options.download);
    return Play(options);
}
