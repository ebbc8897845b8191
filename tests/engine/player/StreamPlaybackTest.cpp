#include "engine/player/Player.h"
#include "engine/player/PlayerApi.h"
#include "engine/plugins/PluginRegistry.h"
#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"

#include "tests/LoopbackServer.h"
#include "tests/LoopbackSocket.h"
#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string kFixtures = SONVALE_FIXTURES;
const std::string kPlugins = SONVALE_TEST_PLUGINS;

std::string FixtureBytes(const std::string& name) {
    std::ifstream in(kFixtures + "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A loopback HTTP server on 127.0.0.1 that answers every connection with `answer` (headers and
// body) and then closes it. With `later`, the first connection gets `answer` and is dropped (reset,
// not an end of stream); the following ones get `later`.
class OneShotServer {
public:
    explicit OneShotServer(std::string answer, std::string later = {})
        : m_server([answer = std::move(answer), later = std::move(later)](LoopbackServer& server,
                                                                          int fd) {
              const bool first = server.Connections() == 1;
              LoopbackSocket::SendAll(fd, first || later.empty() ? answer : later);
              if (first && !later.empty()) {
                  linger reset{1, 0}; // close with a reset
                  setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
              }
          }) {}
    std::u16string Url() const { return TextCodec::Utf8ToUtf16(m_server.Url("/radio")); }
    int Connections() const { return m_server.Connections(); }

private:
    LoopbackServer m_server;
};

// A loopback HTTP proxy: takes one connection at a time, reads the request, connects to the
// host and port its URL names and relays the bytes both ways until the server closes.
class LoopbackProxy {
public:
    LoopbackProxy() {
        m_listener = LoopbackSocket::Listen(m_port, 8);
        m_thread = std::thread([this] { Run(); });
    }
    ~LoopbackProxy() {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }
    int Port() const { return m_port; }
    int Connections() const { return m_connections; }
    // The request line of the last connection, read once the proxy has finished with it.
    std::string RequestLine() const {
        std::lock_guard lock(m_lock);
        return m_requestLine;
    }

private:
    void Run() {
        while (!m_stop) {
            pollfd p{m_listener, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const int fd = accept(m_listener, nullptr, nullptr);
            if (fd < 0)
                continue;
            ++m_connections;
            Serve(fd);
            close(fd);
        }
    }

    void Serve(int client) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && !m_stop) {
            pollfd c{client, POLLIN, 0};
            if (poll(&c, 1, 20) <= 0)
                continue;
            const ssize_t n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, static_cast<size_t>(n));
        }
        const std::string line = request.substr(0, request.find("\r\n"));
        {
            std::lock_guard lock(m_lock);
            m_requestLine = line;
        }
        int port = 0;
        if (std::sscanf(line.c_str(), "GET http://127.0.0.1:%d/", &port) != 1)
            return;
        const int server = LoopbackSocket::Connect(port);
        if (server < 0)
            return;
        if (SendAll(server, request))
            Relay(client, server);
        close(server);
    }

    void Relay(int client, int server) {
        char buffer[4096];
        while (!m_stop) {
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(p, 2, 20) <= 0)
                continue;
            for (int i = 0; i < 2; ++i) {
                if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = recv(p[i].fd, buffer, sizeof buffer, 0);
                if (n <= 0 || !SendAll(p[1 - i].fd, std::string(buffer, static_cast<size_t>(n))))
                    return;
            }
        }
    }

    static bool SendAll(int fd, const std::string& bytes) {
        return LoopbackSocket::SendAll(fd, bytes);
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_lock;
    std::string m_requestLine;
    std::thread m_thread;
};

// `audio` with an ICY metadata block after every `interval` bytes: the first carries the title,
// the others are empty (length byte 0).
std::string WithMetadata(const std::string& audio, size_t interval, const std::string& title) {
    std::string meta = "StreamTitle='" + title + "';";
    meta.resize((meta.size() + 15) / 16 * 16, '\0');
    std::string out;
    bool first = true;
    for (size_t pos = 0; pos < audio.size(); pos += interval) {
        out += audio.substr(pos, interval);
        if (pos + interval > audio.size())
            break;
        if (first) {
            out += static_cast<char>(meta.size() / 16);
            out += meta;
            first = false;
        } else {
            out += '\0';
        }
    }
    return out;
}

struct Played {
    std::vector<QueueMessageSink::Message> status;
    std::vector<std::u16string> titles;
    std::u16string stationName;
    int stateWhilePlaying = -1;
    WavFile wav;
};

// Plays `url` into a WAV file; keeps the status messages and the texts of the title messages.
Played PlayUrl(const std::u16string& url, const TempFolder& folder,
               const std::vector<std::string>& plugins = PluginRegistry::DefaultFolders(),
               const StreamingOptions& streaming = StreamingOptions()) {
    static int count = 0;
    const std::string out = folder / ("stream" + std::to_string(++count) + ".wav");
    ScopedAudio audio("wav:" + out + ",fast");
    Played played;
    QueueMessageSink sink;
    Player player(&WaveOut::Create, plugins);
    player.SetOwner(&sink);
    EXPECT_TRUE(player.SetStreamingOptions(streaming));
    EXPECT_TRUE(player.OpenUrl(url));
    EXPECT_EQ(player.SourceType(), SourceStream);
    EXPECT_EQ(player.StreamingState(), 1);
    EXPECT_TRUE(player.Play());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto m = sink.Take(100);
        if (!m)
            continue;
        if (m->message == WM_PLAYER_STREAMTITLE) {
            played.titles.emplace_back(reinterpret_cast<const char16_t*>(m->wParam));
            continue;
        }
        if (m->message != WM_PLAYER_STATUS)
            continue;
        played.status.push_back(*m);
        if (m->wParam == PlayerStatusPlay) {
            played.stateWhilePlaying = player.StreamingState();
            std::u16string genre, stationUrl;
            player.GetStreamInfo(played.stationName, genre, stationUrl);
        }
        if (m->wParam == PlayerStatusStop)
            break;
    }
    EXPECT_EQ(player.StreamingState(), 1);
    std::u16string title;
    EXPECT_FALSE(player.GetStreamTitle(title) && title.empty());
    player.Close();
    EXPECT_EQ(player.StreamingState(), 0);
    played.wav.Read(out);
    return played;
}

// `stopFlags`: at the end, and with the error flag when the connection broke off.
void ExpectPlayedToTheEnd(const Played& played, intptr_t stopFlags = kPlayerStoppedAtEnd) {
    ASSERT_EQ(played.status.size(), 3u);
    EXPECT_EQ(played.status[0].wParam, static_cast<uintptr_t>(PlayerStatusPreparing));
    EXPECT_EQ(played.status[1].wParam, static_cast<uintptr_t>(PlayerStatusPlay));
    EXPECT_EQ(played.status[2].wParam, static_cast<uintptr_t>(PlayerStatusStop));
    EXPECT_EQ(played.status[2].lParam, stopFlags);
    EXPECT_EQ(played.stateWhilePlaying, 4);
}

// Within 5 % of the reference decode's length.
void ExpectLengthOf(const Played& played, const std::string& reference) {
    WavFile ref;
    ASSERT_TRUE(ref.Read(kFixtures + "/" + reference));
    EXPECT_EQ(played.wav.channels, ref.channels);
    EXPECT_EQ(played.wav.rate, ref.rate);
    const double frames = static_cast<double>(played.wav.Frames());
    const double expected = static_cast<double>(ref.Frames());
    EXPECT_NEAR(frames, expected, expected * 0.05);
}

TEST(StreamPlayback, AnIcyMpegStreamPlaysToItsEndWithItsTitle) {
    TempFolder folder;
    const std::string audio = FixtureBytes("mpeg1-l3-cbr-plain.mp3");
    ASSERT_GT(audio.size(), 8192u);
    OneShotServer server("ICY 200 OK\r\nicy-name: Loopback FM\r\nicy-metaint: 8192\r\n\r\n" +
                         WithMetadata(audio, 8192, "Band - Song"));
    const Played played = PlayUrl(server.Url(), folder);
    ExpectPlayedToTheEnd(played);
    ASSERT_EQ(played.titles.size(), 1u);
    EXPECT_EQ(played.titles[0], u"Band - Song");
    EXPECT_EQ(played.stationName, u"Loopback FM");
    EXPECT_EQ(server.Connections(), 1); // an ended stream is not reconnected
    ExpectLengthOf(played, "mpeg1-l3-cbr-plain.ref.wav");
}

TEST(StreamPlayback, AnOggVorbisStreamPostsTheTitleOfItsComments) {
    TempFolder folder;
    OneShotServer server("HTTP/1.0 200 OK\r\nicy-name: Ogg Radio\r\n\r\n" +
                         FixtureBytes("vorbis-44100.ogg"));
    const Played played = PlayUrl(server.Url(), folder);
    ExpectPlayedToTheEnd(played);
    ASSERT_EQ(played.titles.size(), 1u);
    EXPECT_EQ(played.titles[0], u"Fixture Artist - Fixture Title");
    ExpectLengthOf(played, "vorbis-44100.ref.wav");
}

void PutBig(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(v >> shift);
}

// A Sun/NeXT audio stream of unknown length (16-bit big-endian stereo at 22050 Hz, a tone) and
// the PCM it holds.
std::string AuStream(int frames, std::vector<int16_t>& pcm) {
    std::string out = ".snd";
    PutBig(out, 32); // a header with an 8-byte annotation
    PutBig(out, 0xFFFFFFFF);
    PutBig(out, 3);
    PutBig(out, 22050);
    PutBig(out, 2);
    out += std::string("Radio\0\0\0", 8);
    pcm.clear();
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(9000 * std::sin(i * 2 * M_PI / 50));
        for (int16_t s : {v, static_cast<int16_t>(v / 2)}) {
            pcm.push_back(s);
            out += static_cast<char>(static_cast<uint16_t>(s) >> 8);
            out += static_cast<char>(s & 0xFF);
        }
    }
    return out;
}

TEST(StreamPlayback, AStreamNeitherMpegNorOggPlaysThroughAStreamPlugin) {
    TempFolder folder;
    std::vector<int16_t> pcm;
    OneShotServer server("HTTP/1.0 200 OK\r\n\r\n" + AuStream(33075, pcm));
    const Played played = PlayUrl(server.Url(), folder, {kPlugins});
    ExpectPlayedToTheEnd(played);
    EXPECT_EQ(played.wav.channels, 2);
    EXPECT_EQ(played.wav.rate, 22050);
    EXPECT_EQ(played.wav.bits, 16);
    EXPECT_EQ(played.wav.samples, pcm);
    EXPECT_EQ(server.Connections(), 1);
}

TEST(StreamPlayback, WithoutAStreamPluginUnknownDataStopsWithTheErrorFlag) {
    TempFolder folder;
    std::vector<int16_t> pcm;
    OneShotServer server("HTTP/1.0 200 OK\r\n\r\n" + AuStream(33075, pcm));
    const Played played = PlayUrl(server.Url(), folder, {});
    ASSERT_EQ(played.status.size(), 2u);
    EXPECT_EQ(played.status[1].wParam, static_cast<uintptr_t>(PlayerStatusStop));
    EXPECT_EQ(played.status[1].lParam, 1);
}

std::string Repeated(const std::string& bytes, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += bytes;
    return out;
}

TEST(StreamPlayback, AnIcyStreamThatDropsIsConnectedAgainAndPlaysOn) {
    TempFolder folder;
    const std::string mp3 = FixtureBytes("mpeg1-l3-cbr-plain.mp3");
    // More than the prebuffer of 32 blocks of 2048 bytes, then a reset.
    OneShotServer server("ICY 200 OK\r\nicy-name: Drop FM\r\n\r\n" + Repeated(mp3, 4),
                         "ICY 200 OK\r\nicy-name: Drop FM\r\n\r\n" + mp3);
    const Played played = PlayUrl(server.Url(), folder);
    const std::vector<uintptr_t> expected = {PlayerStatusPreparing, PlayerStatusPlay,
                                             PlayerStatusPreparing, PlayerStatusPlay,
                                             PlayerStatusStop};
    std::vector<uintptr_t> status;
    for (const auto& m : played.status)
        status.push_back(m.wParam);
    EXPECT_EQ(status, expected);
    EXPECT_EQ(played.status.back().lParam, 0x10000);
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(played.stationName, u"Drop FM");
    // The second connection's audio plays too: more than one file's length in all.
    WavFile ref;
    ASSERT_TRUE(ref.Read(kFixtures + "/mpeg1-l3-cbr-plain.ref.wav"));
    EXPECT_GT(played.wav.Frames(), ref.Frames() * 3 / 2);
}

TEST(StreamPlayback, AStreamWithoutIcyHeadersThatDropsEndsWithoutReconnecting) {
    TempFolder folder;
    const std::string mp3 = FixtureBytes("mpeg1-l3-cbr-plain.mp3");
    OneShotServer server("HTTP/1.0 200 OK\r\n\r\n" + Repeated(mp3, 4),
                         "HTTP/1.0 200 OK\r\n\r\n" + mp3);
    const Played played = PlayUrl(server.Url(), folder);
    // What arrived plays; the stop says the stream failed.
    ExpectPlayedToTheEnd(played, kPlayerStoppedAtEnd | kPlayerStoppedOnError);
    EXPECT_EQ(server.Connections(), 1);
}

std::vector<uintptr_t> StatusList(const Played& played) {
    std::vector<uintptr_t> status;
    for (const auto& m : played.status)
        status.push_back(m.wParam);
    return status;
}

TEST(StreamPlayback, AServerThatPausesIsWaitedForOnTheSameConnection) {
    TempFolder folder;
    const std::string mp3 = FixtureBytes("mpeg1-l3-cbr-plain.mp3");
    // No ICY headers; the output runs dry during the pause while the connection stays up.
    LoopbackServer server([&](LoopbackServer& s, int fd) {
        LoopbackServer::Send(fd, "HTTP/1.0 200 OK\r\n\r\n" + Repeated(mp3, 2));
        s.Hold(fd, 1500);
        LoopbackServer::Send(fd, Repeated(mp3, 2));
    });
    StreamingOptions options;
    options.bufferSize = 16;
    options.prebufferSize = 8;
    const Played played = PlayUrl(TextCodec::Utf8ToUtf16(server.Url()), folder,
                                  PluginRegistry::DefaultFolders(), options);
    const std::vector<uintptr_t> expected = {PlayerStatusPreparing, PlayerStatusPlay,
                                             PlayerStatusPreparing, PlayerStatusPlay,
                                             PlayerStatusStop};
    EXPECT_EQ(StatusList(played), expected);
    EXPECT_EQ(played.status.back().lParam, 0x10000);
    EXPECT_EQ(server.Connections(), 1);
    WavFile ref;
    ASSERT_TRUE(ref.Read(kFixtures + "/mpeg1-l3-cbr-plain.ref.wav"));
    EXPECT_GT(played.wav.Frames(), ref.Frames() * 7 / 2); // all four copies played
}

TEST(StreamPlayback, AResetBeforeThePrebufferFillsPlaysWhatArrived) {
    TempFolder folder;
    // Less than the prebuffer of 32 blocks, then a reset; no ICY headers, so no second try.
    OneShotServer server("HTTP/1.0 200 OK\r\n\r\n" + FixtureBytes("mpeg1-l3-cbr-plain.mp3"),
                         "HTTP/1.0 404 Not Found\r\n\r\n");
    const Played played = PlayUrl(server.Url(), folder);
    ExpectPlayedToTheEnd(played, kPlayerStoppedAtEnd | kPlayerStoppedOnError);
    EXPECT_EQ(server.Connections(), 1);
    ExpectLengthOf(played, "mpeg1-l3-cbr-plain.ref.wav");
}

TEST(StreamPlayback, WithTheProxyOptionTheStreamComesThroughTheProxy) {
    TempFolder folder;
    OneShotServer server("ICY 200 OK\r\nicy-name: Proxy FM\r\n\r\n" +
                         FixtureBytes("mpeg1-l3-cbr-plain.mp3"));
    LoopbackProxy proxy;
    StreamingOptions options;
    options.useProxy = 1;
    const std::u16string address =
        TextCodec::Utf8ToUtf16("127.0.0.1:" + std::to_string(proxy.Port()));
    std::copy(address.begin(), address.end(), options.proxy);
    const Played played = PlayUrl(server.Url(), folder, PluginRegistry::DefaultFolders(), options);
    ExpectPlayedToTheEnd(played);
    EXPECT_EQ(played.stationName, u"Proxy FM");
    EXPECT_EQ(proxy.Connections(), 1);
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(proxy.RequestLine(), "GET " + TextCodec::Utf16ToUtf8(server.Url()) + " HTTP/1.0");
    ExpectLengthOf(played, "mpeg1-l3-cbr-plain.ref.wav");
}

TEST(StreamPlayback, OnlyHttpAndHttpsUrlsAreTaken) {
    Player player;
    EXPECT_FALSE(PlayerOpenUrl(&player, u"ftp://x"));
    EXPECT_FALSE(PlayerOpenUrl(&player, u"HTTP:/x"));
    EXPECT_FALSE(PlayerOpenUrl(&player, u"https:/x"));
    EXPECT_EQ(PlayerGetStreamingState(&player), 0);
    EXPECT_EQ(player.SourceType(), SourceNone);
    EXPECT_TRUE(PlayerOpenUrl(&player, u"https://127.0.0.1:1/Secure.MP3"));
    EXPECT_EQ(PlayerGetStreamingState(&player), 1);
    EXPECT_TRUE(PlayerOpenUrl(&player, u"http://127.0.0.1:1/"));
    EXPECT_EQ(PlayerGetStreamingState(&player), 1);
    EXPECT_EQ(PlayerGetStreamingBuffered(&player), 0);
    EXPECT_FALSE(PlayerSeek(&player, 0));
    char16_t name[260] = u"x";
    EXPECT_FALSE(PlayerGetStreamInfo(&player, name, nullptr, nullptr));
    EXPECT_EQ(name[0], 0);
    PlayerClose(&player);
    EXPECT_EQ(PlayerGetStreamingState(&player), 0);
}

TEST(StreamPlayback, StreamingOptionsGoToTheClient) {
    Player player;
    StreamingOptions options;
    ASSERT_TRUE(PlayerGetStreamingOptions(&player, &options));
    EXPECT_EQ(options.bufferSize, 64);
    options.bufferSize = 1;
    EXPECT_FALSE(PlayerSetStreamingOptions(&player, &options));
    options.bufferSize = 16;
    options.prebufferSize = 80;
    EXPECT_TRUE(PlayerSetStreamingOptions(&player, &options));
    ASSERT_TRUE(PlayerGetStreamingOptions(&player, &options));
    EXPECT_EQ(options.bufferSize, 16);
    EXPECT_EQ(options.prebufferSize, 16);
}

TEST(StreamPlayback, ARefusingServerStopsWithTheErrorFlag) {
    TempFolder folder;
    ScopedAudio audio("wav:" + (folder / "refused.wav") + ",fast");
    OneShotServer server("HTTP/1.0 404 Not Found\r\n\r\n");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    ASSERT_TRUE(player.OpenUrl(server.Url()));
    ASSERT_TRUE(player.Play());
    std::optional<QueueMessageSink::Message> stop;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!stop && std::chrono::steady_clock::now() < deadline) {
        const auto m = sink.TakeMessage(WM_PLAYER_STATUS, 100);
        if (m && m->wParam == PlayerStatusStop)
            stop = m;
    }
    ASSERT_TRUE(stop.has_value());
    EXPECT_EQ(stop->lParam, 1);
    EXPECT_EQ(player.StreamingState(), 1);
}

// Eleven seconds of MPEG audio played in real time: stopped long before their end.
TEST(StreamPlayback, PauseDoesNothingAndStopEndsAStreamWithoutTheEndFlag) {
    TempFolder folder;
    ScopedAudio audio("wav:" + (folder / "paused.wav"));
    std::string answer = "ICY 200 OK\r\nicy-name: Long FM\r\n\r\n";
    const std::string mp3 = FixtureBytes("mpeg1-l3-cbr-plain.mp3");
    for (int i = 0; i < 8; ++i)
        answer += mp3;
    OneShotServer server(answer);
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    StreamingOptions options;
    options.bufferSize = 8;
    options.prebufferSize = 4;
    ASSERT_TRUE(player.SetStreamingOptions(options));
    ASSERT_TRUE(player.OpenUrl(server.Url()));
    ASSERT_TRUE(player.Play());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (player.Status() != PlayerStatusPlay && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(player.Status(), PlayerStatusPlay);
    player.Pause();
    EXPECT_EQ(player.Status(), PlayerStatusPlay);
    uint32_t outTotal = 0, outQueued = 0, streamTotal = 0, streamFilled = 0;
    player.GetBufferInfo(outTotal, outQueued, streamTotal, streamFilled);
    EXPECT_EQ(streamTotal, 8u * 2048u);
    EXPECT_LE(streamFilled, streamTotal);
    player.Stop();
    EXPECT_EQ(player.Status(), PlayerStatusStop);
    EXPECT_EQ(player.StreamingState(), 1);
    std::optional<QueueMessageSink::Message> last;
    while (const auto m = sink.TakeMessage(WM_PLAYER_STATUS, 0))
        last = m;
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->wParam, static_cast<uintptr_t>(PlayerStatusStop));
    EXPECT_EQ(last->lParam, 0);
}

} // namespace
