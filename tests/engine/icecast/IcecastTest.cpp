// Stream playback against a real icecast2 server on 127.0.0.1: the test writes the server's
// configuration, starts it, feeds a source over a plain socket and plays the mount.

#include "engine/player/Player.h"
#include "engine/player/PlayerApi.h"
#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include "tests/LoopbackSocket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

const std::string kFixtures = SONVALE_FIXTURES;
const char* const kIcecast = "/usr/bin/icecast2";
const std::string kSourcePassword = "feed-7f3a";
const std::string kAdminPassword = "admin-91c2";

using Clock = std::chrono::steady_clock;

std::string FixtureBytes(const std::string& name) {
    std::ifstream in(kFixtures + "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string Base64(const std::string& in) {
    static const char* const digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3) {
        uint32_t group = static_cast<uint8_t>(in[i]) << 16;
        if (i + 1 < in.size())
            group |= static_cast<uint8_t>(in[i + 1]) << 8;
        if (i + 2 < in.size())
            group |= static_cast<uint8_t>(in[i + 2]);
        out += digits[(group >> 18) & 63];
        out += digits[(group >> 12) & 63];
        out += i + 1 < in.size() ? digits[(group >> 6) & 63] : '=';
        out += i + 2 < in.size() ? digits[group & 63] : '=';
    }
    return out;
}

// A port on 127.0.0.1 that was free a moment ago.
int FreePort() {
    int port = 0;
    const int fd = LoopbackSocket::Listen(port);
    if (fd >= 0)
        close(fd);
    return port;
}

int Connect(int port) {
    return LoopbackSocket::Connect(port);
}

bool SendAll(int fd, const std::string& bytes) {
    return LoopbackSocket::SendAll(fd, bytes);
}

// Reads until the end of the headers, the connection closes or `timeoutMs` passes.
std::string ReadHeaders(int fd, int timeoutMs) {
    std::string answer;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char scratch[1024];
    while (answer.find("\r\n\r\n") == std::string::npos && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t n = recv(fd, scratch, sizeof scratch, 0);
        if (n <= 0)
            break;
        answer.append(scratch, static_cast<size_t>(n));
    }
    return answer;
}

bool IsOk(const std::string& answer) {
    const std::string line = answer.substr(0, answer.find("\r\n"));
    return line.find(" 200") != std::string::npos;
}

// icecast2 running as a child process with a configuration of its own in `folder`.
class IcecastServer {
public:
    explicit IcecastServer(const TempFolder& folder) : m_folder(folder) {}
    ~IcecastServer() { Stop(); }
    IcecastServer(const IcecastServer&) = delete;
    IcecastServer& operator=(const IcecastServer&) = delete;

    // Writes the configuration, starts the server and waits until its port answers.
    bool Start() {
        m_port = FreePort();
        const std::string logs = m_folder / "log";
        std::filesystem::create_directories(logs);
        // The server drops to `nobody` when started as root: it must reach and write its logs.
        chmod(m_folder.Path().c_str(), 0755);
        chmod(logs.c_str(), 0777);
        std::string config = "<icecast>\n"
                             "  <location>loopback</location>\n"
                             "  <admin>test@localhost</admin>\n"
                             "  <limits>\n"
                             "    <clients>20</clients>\n"
                             "    <sources>4</sources>\n"
                             "    <queue-size>1048576</queue-size>\n"
                             "    <client-timeout>30</client-timeout>\n"
                             "    <header-timeout>15</header-timeout>\n"
                             "    <source-timeout>30</source-timeout>\n"
                             "    <burst-on-connect>1</burst-on-connect>\n"
                             "    <burst-size>65535</burst-size>\n"
                             "  </limits>\n"
                             "  <authentication>\n"
                             "    <source-password>" +
                             kSourcePassword +
                             "</source-password>\n"
                             "    <relay-password>relay-5d0e</relay-password>\n"
                             "    <admin-user>admin</admin-user>\n"
                             "    <admin-password>" +
                             kAdminPassword +
                             "</admin-password>\n"
                             "  </authentication>\n"
                             "  <hostname>127.0.0.1</hostname>\n"
                             "  <listen-socket>\n"
                             "    <port>" +
                             std::to_string(m_port) +
                             "</port>\n"
                             "    <bind-address>127.0.0.1</bind-address>\n"
                             "  </listen-socket>\n"
                             "  <fileserve>0</fileserve>\n"
                             "  <paths>\n"
                             "    <basedir>" +
                             m_folder.Path() +
                             "</basedir>\n"
                             "    <logdir>" +
                             logs +
                             "</logdir>\n"
                             "    <pidfile>" +
                             logs +
                             "/icecast.pid</pidfile>\n"
                             "    <webroot>/usr/share/icecast2/web</webroot>\n"
                             "    <adminroot>/usr/share/icecast2/admin</adminroot>\n"
                             "  </paths>\n"
                             "  <logging>\n"
                             "    <accesslog>access.log</accesslog>\n"
                             "    <errorlog>error.log</errorlog>\n"
                             "    <loglevel>3</loglevel>\n"
                             "  </logging>\n"
                             "  <security>\n"
                             "    <chroot>0</chroot>\n";
        if (geteuid() == 0)
            config += "    <changeowner><user>nobody</user><group>nogroup</group></changeowner>\n";
        config += "  </security>\n</icecast>\n";
        const std::string configFile = m_folder.Write("icecast.xml", config);
        chmod(configFile.c_str(), 0644);

        const std::string output = m_folder / "icecast.out";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        const char* argv[] = {kIcecast, "-c", configFile.c_str(), nullptr};
        pid_t pid = -1;
        const int spawned =
            posix_spawn(&pid, kIcecast, &actions, nullptr, const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return false;
        m_pid = pid;

        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return false;
            }
            const int fd = Connect(m_port);
            if (fd >= 0) {
                close(fd);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    void Stop() {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        const auto deadline = Clock::now() + std::chrono::seconds(15);
        int status = 0;
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_pid = -1;
    }

    int Port() const { return m_port; }

    // What the server wrote, for failure messages.
    std::string Diagnostics() const {
        return "icecast output:\n" + m_folder.Read("icecast.out") + "\nerror log:\n" +
               m_folder.Read("log/error.log");
    }

    // Sends an admin request; returns the answer's headers.
    std::string Admin(const std::string& pathAndQuery) const {
        const int fd = Connect(m_port);
        if (fd < 0)
            return {};
        SendAll(fd, "GET " + pathAndQuery +
                        " HTTP/1.0\r\nHost: 127.0.0.1\r\nAuthorization: Basic " +
                        Base64("admin:" + kAdminPassword) + "\r\n\r\n");
        const std::string answer = ReadHeaders(fd, 10000);
        close(fd);
        return answer;
    }

private:
    const TempFolder& m_folder;
    int m_port = 0;
    pid_t m_pid = -1;
};

// A source client: logs in on `mount` and sends `bytes` over and over at `bytesPerSecond`.
class SourceFeeder {
public:
    SourceFeeder(std::string bytes, double bytesPerSecond)
        : m_bytes(std::move(bytes)), m_bytesPerSecond(bytesPerSecond) {}
    ~SourceFeeder() { Stop(); }
    SourceFeeder(const SourceFeeder&) = delete;
    SourceFeeder& operator=(const SourceFeeder&) = delete;

    // Logs in (SOURCE, then PUT when that is refused); returns the server's answer on failure and
    // an empty text once the feeder thread runs.
    std::string Start(int port, const std::string& mount, const std::string& contentType) {
        const std::string headers = "Host: 127.0.0.1\r\nAuthorization: Basic " +
                                    Base64("source:" + kSourcePassword) +
                                    "\r\nContent-Type: " + contentType +
                                    "\r\nice-name: Sonvale Test Radio\r\nice-public: 0\r\n";
        std::string answer;
        for (const std::string& request :
             {"SOURCE " + mount + " HTTP/1.0\r\n" + headers + "\r\n",
              "PUT " + mount + " HTTP/1.1\r\n" + headers + "Expect: 100-continue\r\n\r\n"}) {
            m_fd = Connect(port);
            if (m_fd < 0)
                return "no connection";
            if (SendAll(m_fd, request)) {
                answer = ReadHeaders(m_fd, 10000);
                if (IsOk(answer) || answer.rfind("HTTP/1.1 100", 0) == 0)
                    break;
            }
            close(m_fd);
            m_fd = -1;
        }
        if (m_fd < 0)
            return answer.empty() ? "no answer" : answer;
        m_thread = std::thread([this] { Run(); });
        return {};
    }

    void Stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

private:
    void Run() {
        const size_t chunk = 2048;
        const auto start = Clock::now();
        // Two seconds ahead of real time, so the server has a burst for a new listener.
        const double lead = 2.0 * m_bytesPerSecond;
        uint64_t sent = 0;
        size_t pos = 0;
        while (!m_stop) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            if (static_cast<double>(sent) > elapsed * m_bytesPerSecond + lead) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            const size_t n = std::min(chunk, m_bytes.size() - pos);
            if (!SendAll(m_fd, m_bytes.substr(pos, n)))
                break;
            sent += n;
            pos = (pos + n) % m_bytes.size();
        }
    }

    std::string m_bytes;
    double m_bytesPerSecond;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Bytes per second of `file` when played, from its reference decode.
double BytesPerSecond(const std::string& file, const std::string& reference) {
    WavFile ref;
    if (!ref.Read(kFixtures + "/" + reference) || ref.rate == 0)
        return 16000;
    const double seconds = static_cast<double>(ref.Frames()) / ref.rate;
    return static_cast<double>(FixtureBytes(file).size()) / seconds;
}

std::u16string MountUrl(int port, const std::string& mount) {
    return TextCodec::Utf8ToUtf16("http://127.0.0.1:" + std::to_string(port) + mount);
}

// Waits for the player to reach "playing"; false when it stops first or the wait runs out.
bool WaitForPlay(QueueMessageSink& sink, std::string& why) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        const auto m = sink.Take(100);
        if (!m || m->message != WM_PLAYER_STATUS)
            continue;
        if (m->wParam == PlayerStatusPlay)
            return true;
        if (m->wParam == PlayerStatusStop) {
            why = "stopped with lParam " + std::to_string(m->lParam);
            return false;
        }
    }
    why = "no status 1 within 20 s";
    return false;
}

class Icecast : public testing::Test {
protected:
    void SetUp() override {
        if (access(kIcecast, X_OK) != 0)
            GTEST_SKIP() << kIcecast << " is not installed (apt-get install icecast2)";
        ASSERT_FALSE(m_folder.Path().empty());
        ASSERT_TRUE(m_server.Start()) << m_server.Diagnostics();
    }

    TempFolder m_folder;
    IcecastServer m_server{m_folder};
    ScopedAudio m_audio{"null"};
};

TEST_F(Icecast, AnMpegMountPlaysWithItsNameAndAnUpdatedTitle) {
    SourceFeeder feeder(FixtureBytes("mpeg1-l3-cbr-plain.mp3"),
                        BytesPerSecond("mpeg1-l3-cbr-plain.mp3", "mpeg1-l3-cbr-plain.ref.wav"));
    const std::string refused = feeder.Start(m_server.Port(), "/live.mp3", "audio/mpeg");
    ASSERT_EQ(refused, "") << m_server.Diagnostics();

    QueueMessageSink sink;
    Player player;
    PlayerSetOwner(&player, &sink);
    ASSERT_TRUE(PlayerOpenUrl(&player, MountUrl(m_server.Port(), "/live.mp3").c_str()));
    ASSERT_TRUE(PlayerPlay(&player));
    std::string why;
    ASSERT_TRUE(WaitForPlay(sink, why)) << why << "\n" << m_server.Diagnostics();
    EXPECT_EQ(PlayerGetStatus(&player), PlayerStatusPlay);

    char16_t name[260] = {};
    ASSERT_TRUE(PlayerGetStreamInfo(&player, name, nullptr, nullptr));
    EXPECT_EQ(std::u16string(name), u"Sonvale Test Radio");

    const std::string answer =
        m_server.Admin("/admin/metadata?mount=/live.mp3&mode=updinfo&song=New%20Song");
    ASSERT_TRUE(IsOk(answer)) << answer << "\n" << m_server.Diagnostics();

    std::u16string title;
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (title != u"New Song" && Clock::now() < deadline) {
        const auto m = sink.Take(100);
        if (!m)
            continue;
        if (m->message == WM_PLAYER_STREAMTITLE)
            title = reinterpret_cast<const char16_t*>(m->wParam);
        ASSERT_FALSE(m->message == WM_PLAYER_STATUS && m->wParam == PlayerStatusStop)
            << "stopped with lParam " << m->lParam << "\n"
            << m_server.Diagnostics();
    }
    EXPECT_EQ(title, u"New Song");
    char16_t current[260] = {};
    EXPECT_TRUE(PlayerGetStreamTitle(&player, current));
    EXPECT_EQ(std::u16string(current), u"New Song");

    PlayerStop(&player);
    PlayerClose(&player);
    feeder.Stop();
    m_server.Stop();
}

TEST_F(Icecast, AnOggVorbisMountPlays) {
    SourceFeeder feeder(FixtureBytes("vorbis-44100.ogg"),
                        BytesPerSecond("vorbis-44100.ogg", "vorbis-44100.ref.wav"));
    const std::string refused = feeder.Start(m_server.Port(), "/live.ogg", "application/ogg");
    ASSERT_EQ(refused, "") << m_server.Diagnostics();

    QueueMessageSink sink;
    Player player;
    PlayerSetOwner(&player, &sink);
    ASSERT_TRUE(PlayerOpenUrl(&player, MountUrl(m_server.Port(), "/live.ogg").c_str()));
    ASSERT_TRUE(PlayerPlay(&player));
    std::string why;
    ASSERT_TRUE(WaitForPlay(sink, why)) << why << "\n" << m_server.Diagnostics();
    EXPECT_EQ(PlayerGetStatus(&player), PlayerStatusPlay);

    char16_t name[260] = {};
    ASSERT_TRUE(PlayerGetStreamInfo(&player, name, nullptr, nullptr));
    EXPECT_EQ(std::u16string(name), u"Sonvale Test Radio");

    PlayerStop(&player);
    PlayerClose(&player);
    feeder.Stop();
    m_server.Stop();
}

} // namespace
