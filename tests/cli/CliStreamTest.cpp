// `sonvale-cli play URL` as a program against the test's own stream servers on 127.0.0.1.

#include "tests/LoopbackServer.h"
#include "tests/TempFolder.h"
#include "tests/TestTls.h"
#include "tests/WavFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;

const std::string kFixtures = SONVALE_FIXTURES;

std::string Mp3Copies(int times) {
    std::ifstream in(kFixtures + "/mpeg1-l3-cbr-plain.mp3", std::ios::binary);
    const std::string mp3((std::istreambuf_iterator<char>(in)), {});
    std::string out;
    for (int i = 0; i < times; ++i)
        out += mp3;
    return out;
}

struct StreamRun {
    int exitCode = -1;
    std::string errors;
    std::chrono::milliseconds took{0};
    WavFile played;
};

// Plays `url` into a WAV file as fast as the engine goes, stdin and stdout on /dev/null. Killed
// after 20 s.
StreamRun PlayUrl(const TempFolder& folder, const std::string& url) {
    setenv("SONVALE_AUDIO", ("wav:" + (folder / "out.wav") + ",fast").c_str(), 1);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, (folder / "stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string program = SONVALE_CLI, command = "play", address = url;
    char* argv[] = {program.data(), command.data(), address.data(), nullptr};
    StreamRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv, environ) != 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
        return run;
    }
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() - start > 20s) {
            ADD_FAILURE() << "still playing after 20 s";
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        std::this_thread::sleep_for(10ms);
    }
    run.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = folder.Read("stderr.txt");
    run.played.Read(folder / "out.wav");
    return run;
}

TEST(CliStream, AStationThatPausesIsPlayedToItsEnd) {
    TempFolder folder;
    // No ICY headers; the output runs dry during the pause while the connection stays up.
    LoopbackServer server([](LoopbackServer& s, int fd) {
        LoopbackServer::Send(fd, "HTTP/1.0 200 OK\r\n\r\n" + Mp3Copies(3));
        s.Hold(fd, 1500);
        LoopbackServer::Send(fd, Mp3Copies(3));
    });
    const StreamRun run = PlayUrl(folder, server.Url("/radio"));
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_GE(run.took, 1500ms);
    WavFile one;
    ASSERT_TRUE(one.Read(kFixtures + "/mpeg1-l3-cbr-plain.ref.wav"));
    EXPECT_GT(run.played.Frames(), one.Frames() * 11 / 2);
}

TEST(CliStream, HttpsStationsPlayAndFailuresSayWhat) {
    TempFolder folder;
    const TestTls trusted("IP:127.0.0.1");
    trusted.Trust(folder / "authority.pem");
    const TestTls stranger("IP:127.0.0.1");
    const std::string answer = "ICY 200 OK\r\nicy-name: Secure\r\n\r\n" + Mp3Copies(2);
    auto tlsServer = [&answer](const TestTls& tls) {
        return [&answer, &tls](LoopbackServer& server, int fd) {
            if (auto ssl = tls.Accept(fd)) {
                server.SetRequest(TestTls::ReadRequest(ssl.get()));
                TestTls::Send(ssl.get(), answer);
            }
        };
    };
    LoopbackServer secure(tlsServer(trusted), false);
    LoopbackServer untrusted(tlsServer(stranger), false);
    LoopbackServer refusing([](LoopbackServer&, int fd) {
        LoopbackServer::Send(fd, "HTTP/1.0 404 Not Found\r\n\r\n");
    });
    auto https = [](const LoopbackServer& s) {
        return "HTTPS://127.0.0.1:" + std::to_string(s.Port()) + "/Live.MP3";
    };

    const StreamRun good = PlayUrl(folder, https(secure));
    EXPECT_EQ(good.exitCode, 0) << good.errors;
    EXPECT_EQ(secure.Request().rfind("GET /Live.MP3 HTTP/1.0\r\n", 0), 0u);
    WavFile one;
    ASSERT_TRUE(one.Read(kFixtures + "/mpeg1-l3-cbr-plain.ref.wav"));
    EXPECT_GT(good.played.Frames(), one.Frames() * 3 / 2);

    LoopbackServer cut([](LoopbackServer&, int fd) { // broken off: a reset, not an end
        LoopbackServer::Send(fd, "HTTP/1.0 200 OK\r\n\r\n" + Mp3Copies(1));
        std::this_thread::sleep_for(200ms);
        linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    });
    for (const LoopbackServer* server : {&untrusted, &refusing, &cut}) {
        const std::string url = server == &untrusted ? https(untrusted) : server->Url();
        SCOPED_TRACE(url);
        const StreamRun bad = PlayUrl(folder, url);
        EXPECT_EQ(bad.exitCode, 1);
        EXPECT_NE(bad.errors.find("the stream " + url + " failed"), std::string::npos)
            << bad.errors;
    }
    unsetenv("SONVALE_AUDIO");
}

} // namespace
