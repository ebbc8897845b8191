#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

const std::string kFixtures = SONVALE_FIXTURES;

struct CliRun {
    int exitCode = -1;
    bool killed = false; // still running when its time was up
    std::string errors;
    std::string output;
    std::chrono::milliseconds took{0};
};

// Runs sonvale-cli with `args` (stdin on /dev/null, no sound), stdout and stderr kept in the
// folder; as the user `uid` when given (the test then runs as root). A run that takes longer than
// `limit` is killed.
CliRun RunCli(const TempFolder& folder, std::vector<std::string> args,
              std::chrono::milliseconds limit = 20s, uid_t uid = 0) {
    setenv("SONVALE_AUDIO", "null", 1);
    std::string program = SONVALE_CLI;
    if (uid != 0) {
        // Another user may not reach the build folder: it runs a copy in the test's folder.
        namespace fs = std::filesystem;
        program = folder / "sonvale-cli";
        fs::copy_file(SONVALE_CLI, program, fs::copy_options::overwrite_existing);
        fs::permissions(program, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    }
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string errors = folder / "stderr.txt";
    const std::string output = folder / "stdout.txt";
    CliRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDWR);
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || err < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(127);
        if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0))
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) {
        ADD_FAILURE() << "cannot start " << argv[0] << ": " << std::strerror(errno);
        return run;
    }
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() - start > limit) {
            run.killed = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    run.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = folder.Read("stderr.txt");
    run.output = folder.Read("stdout.txt");
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(Cli, DecodeWritesAWavButNeverOverItsInput) {
    TempFolder folder;
    const CliRun good =
        RunCli(folder, {"decode", kFixtures + "/mpeg1-l2-44100.mp2", "-o", folder / "out.wav"});
    EXPECT_EQ(0, good.exitCode) << good.errors;
    const std::string wav = folder.Read("out.wav");
    ASSERT_GT(wav.size(), 44u);
    uint32_t dataBytes = 0;
    std::memcpy(&dataBytes, wav.data() + 40, 4);
    EXPECT_EQ(wav.size(), 44u + dataBytes);

    // The output named as the input itself, and as a hard link to it.
    const std::string input = folder / "in.mp2";
    std::filesystem::copy_file(kFixtures + "/mpeg1-l2-44100.mp2", input);
    std::filesystem::create_hard_link(input, folder / "link.mp2");
    const std::string before = folder.Read("in.mp2");
    for (const std::string& output : {input, folder / "link.mp2"}) {
        const CliRun same = RunCli(folder, {"decode", input, "-o", output});
        EXPECT_EQ(1, same.exitCode) << output;
        EXPECT_TRUE(Contains(same.errors, "is the input file")) << same.errors;
        EXPECT_EQ(before, folder.Read("in.mp2"));
    }
}

TEST(Cli, DecodeFailsWhenTheOutputCantBeWrittenOrNoAudioComesOut) {
    TempFolder folder;
    // /dev/full answers every write with ENOSPC, as a full disk does.
    const CliRun full =
        RunCli(folder, {"decode", kFixtures + "/vorbis-44100.ogg", "-o", "/dev/full"});
    EXPECT_EQ(1, full.exitCode);
    EXPECT_TRUE(Contains(full.errors, std::strerror(ENOSPC))) << full.errors;

    for (const char* broken : {"broken-wav-header-only.wav", "broken-mp2-truncated.mp2"}) {
        const CliRun run =
            RunCli(folder, {"decode", kFixtures + "/" + broken, "-o", folder / "x.wav"});
        EXPECT_EQ(1, run.exitCode) << broken;
        EXPECT_TRUE(Contains(run.errors, "no audio")) << run.errors;
    }
}

TEST(Cli, InfoNamesTheContainerAndTheCodecAndTheWholeLength) {
    TempFolder folder;
    const std::pair<const char*, const char*> formats[] = {
        {"wav-gsm-8000.wav", "Format:      WAV, GSM 6.10\n"},
        {"wav-pcm16-stereo.wav", "Format:      WAV, 16-bit PCM\n"},
        {"wav-pcm24-extensible.wav", "Format:      WAV, 24-bit PCM\n"},
        {"wav-float32-mono.wav", "Format:      WAV, 32-bit float\n"},
        {"wav-mp3-mono.wav", "Format:      WAV, MPEG-2 Layer 3\n"},
        {"vorbis-44100.ogg", "Format:      Ogg Vorbis\n"},
        {"mpeg1-l2-44100.mp2", "Format:      MPEG-1 Layer 2\n"},
    };
    for (const auto& [file, format] : formats) {
        const CliRun run = RunCli(folder, {"info", kFixtures + "/" + file});
        EXPECT_EQ(0, run.exitCode) << run.errors;
        EXPECT_TRUE(Contains(run.output, format)) << file << ":\n" << run.output;
    }
    // A VBR file without a frame count: the length of all its frames, not of the first one's.
    const CliRun vbr = RunCli(folder, {"info", kFixtures + "/mpeg1-l3-vbr-plain-12s.mp3"});
    EXPECT_TRUE(Contains(vbr.output, "Duration:    0:12")) << vbr.output;
}

TEST(Cli, InfoShowsWmaFilesAndTheirTagsAsWritten) {
    TempFolder folder;
    const std::pair<const char*, const char*> files[] = {
        {"wma-v2-stereo.wma", "Format:      ASF, Windows Media Audio 2\n"
                              "Channels:    2\nSample rate: 44100 Hz\nBitrate:     64 kbit/s\n"
                              "Duration:    0:01 (1391 ms)\nTitle:       WMA Title\n"
                              "Artist:      WMA Artist\nAlbum:       WMA Album\n"
                              "Genre:       Ambient\nYear:        2007\nTrack:       9\n"},
        {"wma-v1-mono.wma", "Format:      ASF, Windows Media Audio 1\n"
                            "Channels:    1\nSample rate: 22050 Hz\nBitrate:     32 kbit/s\n"
                            "Duration:    0:02 (2181 ms)\nTitle:       Mono Title\n"
                            "Artist:      Mono Artist\nAlbum:       Mono Album\n"
                            "Genre:       Jazz\nYear:        1999\nTrack:       3\n"},
    };
    for (const auto& [file, info] : files) {
        const CliRun run = RunCli(folder, {"info", kFixtures + "/" + file});
        EXPECT_EQ(0, run.exitCode) << run.errors;
        EXPECT_TRUE(Contains(run.output, info)) << file << ":\n" << run.output;
    }
    const CliRun decode =
        RunCli(folder, {"decode", kFixtures + "/wma-v1-mono.wma", "-o", folder / "out.wav"});
    EXPECT_EQ(0, decode.exitCode) << decode.errors;
    EXPECT_EQ(folder.Read("out.wav").size(), 44u + 47104u * 2);
}

TEST(Cli, FilesThatCantBeOpenedAreNamedWithTheReason) {
    TempFolder folder;
    UnwrittenFifo fifo(folder / "fifo.mp3");
    ASSERT_TRUE(fifo.Made());
    for (const char* command : {"info", "decode", "play"}) {
        std::vector<std::string> args = {command, fifo.Path()};
        if (std::string(command) == "decode")
            args.insert(args.end(), {"-o", folder / "out.wav"});
        const CliRun run = RunCli(folder, args, fifo.Patience() * 2);
        EXPECT_FALSE(run.killed) << command;
        EXPECT_LT(run.took, fifo.Patience()) << command;
        EXPECT_EQ(1, run.exitCode) << command;
        EXPECT_TRUE(Contains(run.errors, "not a regular file")) << run.errors;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.wav"));

    const CliRun missing = RunCli(folder, {"info", folder / "missing.mp3"});
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_TRUE(Contains(missing.errors, std::strerror(ENOENT))) << missing.errors;
    const CliRun directory = RunCli(folder, {"info", folder.Path()});
    EXPECT_EQ(1, directory.exitCode);
    EXPECT_TRUE(Contains(directory.errors, std::strerror(EISDIR))) << directory.errors;
}

TEST(Cli, AnUnreadableFileIsSaidToBeSo) {
    // Root reads any file whatever its modes: as root, the program runs as "nobody".
    const uid_t uid = geteuid() == 0 ? 65534 : 0;
    TempFolder folder;
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::all);
    const std::string file = folder / "locked.mp2";
    std::filesystem::copy_file(kFixtures + "/mpeg1-l2-44100.mp2", file);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    const CliRun run = RunCli(folder, {"info", file}, 20s, uid);
    EXPECT_EQ(1, run.exitCode);
    EXPECT_TRUE(Contains(run.errors, std::strerror(EACCES))) << run.errors;
}

TEST(Cli, LyricsPrintsTheTimedLinesBesideOrInTheTrack) {
    TempFolder folder;
    const std::string song = folder / "song.mp3";
    std::filesystem::copy_file(kFixtures + "/mpeg1-l3-cbr-plain.mp3", song);
    const CliRun none = RunCli(folder, {"lyrics", song});
    EXPECT_EQ(1, none.exitCode);
    EXPECT_TRUE(Contains(none.errors, "has no synchronised lyrics")) << none.errors;
    EXPECT_EQ("", none.output);

    folder.Write("song.txt", "Only plain text\n");
    EXPECT_EQ(1, RunCli(folder, {"lyrics", song}).exitCode);

    folder.Write("song.lrc", "[ar:Someone]\r\n[00:04.00]World\r\n[00:01.50]Hello\r\n"
                             "[00:02.00]\xEB\xB0\xA4\r\n");
    const CliRun lrc = RunCli(folder, {"lyrics", song});
    EXPECT_EQ(0, lrc.exitCode) << lrc.errors;
    EXPECT_EQ("[00:01.50]Hello\n[00:02.00]\xEB\xB0\xA4\n[00:04.00]World\n", lrc.output);

    const CliRun tags = RunCli(folder, {"lyrics", kFixtures + "/tag-lyrics-id3v23.mp3"});
    EXPECT_EQ(0, tags.exitCode) << tags.errors;
    EXPECT_EQ("[00:01.00]First line\n[00:02.50]Second line\n[00:04.00]Third line\n", tags.output);
}

} // namespace
