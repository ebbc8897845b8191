#include "engine/stream/StreamClient.h"

#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"

#include "tests/LoopbackServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using TestServer = LoopbackServer;

std::u16string U16(const std::string& text) {
    return TextCodec::Utf8ToUtf16(text);
}

std::string Audio(size_t length, int seed = 0) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 7 + static_cast<size_t>(seed)) & 0xFF);
    return bytes;
}

// A metadata block: length byte, then the text padded with zeros to a multiple of 16.
std::string Metadata(const std::string& text) {
    const size_t units = (text.size() + 15) / 16;
    std::string block(1, static_cast<char>(units));
    block += text;
    block.resize(1 + units * 16, '\0');
    return block;
}

std::string ReadAll(StreamClient& client) {
    std::string all;
    char chunk[1000];
    for (;;) {
        const size_t n = client.Read(chunk, sizeof chunk);
        all.append(chunk, n);
        if (n < sizeof chunk)
            return all;
    }
}

void WaitForEnd(StreamClient& client) {
    for (int i = 0; i < 500 && client.SocketOpen(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(StreamClientTest, IcyStatusLineWithStationHeaders) {
    const std::string body = Audio(5000);
    TestServer server([&](TestServer&, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\nicy-name: Test FM\r\nicy-genre:Jazz\r\n"
                             "icy-url: http://station.test/\r\n\r\n" +
                                 body.substr(0, 100));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        TestServer::Send(fd, body.substr(100));
    });
    QueueMessageSink sink;
    StreamClient client(&sink);
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    EXPECT_EQ(server.Request(), "GET /live HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\n"
                                "Icy-MetaData:1\r\nUser-Agent: Unknown\r\n\r\n");
    EXPECT_EQ(client.StationName(), u"Test FM");
    EXPECT_EQ(client.Genre(), u"Jazz");
    EXPECT_EQ(client.StationUrl(), u"http://station.test/");
    EXPECT_TRUE(client.IcyHeadersSeen());

    // The server closes: end of stream, and what was buffered is still there to read.
    WaitForEnd(client);
    EXPECT_TRUE(client.EndOfStream());
    EXPECT_FALSE(client.SocketOpen());
    EXPECT_EQ(client.FilledBlocks(), 3);
    EXPECT_TRUE(client.WaitForPrebuffer() || client.PrebufferBlocks() > 3);
    EXPECT_EQ(ReadAll(client), body);
    EXPECT_EQ(client.FilledBlocks(), 0);
    char byte;
    EXPECT_EQ(client.Read(&byte, 1), 0u);
    EXPECT_EQ(sink.Size(), 0u);
    client.Stop();
    EXPECT_FALSE(client.EndOfStream());
}

TEST(StreamClientTest, HttpStatusLineWithIceHeadersAndUserAgent) {
    TestServer server([](TestServer&, int fd) {
        TestServer::Send(fd, "HTTP/1.0 200 OK\r\nice-name: Ice Radio\r\nice-genre: Rock\r\n"
                             "Content-Type: audio/mpeg\r\n\r\nabc");
    });
    StreamClient client(nullptr);
    StreamingOptions options = client.Options();
    std::copy_n(u"Sonvale/1.0", 12, options.userAgent);
    ASSERT_TRUE(client.SetOptions(options));
    ASSERT_TRUE(client.Connect(U16("http://127.0.0.1:" + std::to_string(server.Port()))));
    EXPECT_NE(server.Request().find("GET / HTTP/1.0\r\n"), std::string::npos);
    EXPECT_NE(server.Request().find("User-Agent: Sonvale/1.0\r\n"), std::string::npos);
    EXPECT_EQ(client.StationName(), u"Ice Radio");
    EXPECT_EQ(client.Genre(), u"Rock");
    EXPECT_TRUE(client.IcyHeadersSeen());
    WaitForEnd(client);
    EXPECT_EQ(ReadAll(client), "abc");
}

TEST(StreamClientTest, NoIcyHeadersLeavesTheFlagDown) {
    TestServer server([](TestServer&, int fd) {
        TestServer::Send(fd, "HTTP/1.0 200 OK\r\nServer: plain\r\n\r\nxyz");
    });
    StreamClient client(nullptr);
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    EXPECT_FALSE(client.IcyHeadersSeen());
    EXPECT_EQ(client.StationName(), u"");
    WaitForEnd(client);
    EXPECT_EQ(ReadAll(client), "xyz");
}

TEST(StreamClientTest, MetadataSplitAcrossReceivesGivesOneTitle) {
    const std::string audio = Audio(8192 + 3000, 3);
    const std::string meta = Metadata("StreamTitle='Artist - Song';StreamUrl='';");
    TestServer server([&](TestServer&, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\nicy-metaint:8192\r\n\r\n");
        TestServer::Send(fd, audio.substr(0, 8192) + meta.substr(0, 20));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        TestServer::Send(fd, meta.substr(20) + audio.substr(8192));
    });
    QueueMessageSink sink;
    StreamClient client(&sink);
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    WaitForEnd(client);
    EXPECT_EQ(ReadAll(client), audio);
    auto message = sink.Take();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->message, WM_PLAYER_STREAMTITLE);
    EXPECT_EQ(reinterpret_cast<const char16_t*>(message->wParam),
              StreamClient::SharedTitleBuffer());
    EXPECT_EQ(std::u16string(StreamClient::SharedTitleBuffer()), u"Artist - Song");
    EXPECT_EQ(client.LastTitle(), u"Artist - Song");
    EXPECT_EQ(sink.Size(), 0u);
}

TEST(StreamClientTest, SeveralMetadataBlocksInOneReceiveAndEmptyOnes) {
    // Interval 16: empty block, titled block, empty block, second title split in the header's
    // body and the next receive.
    const std::string a = Audio(16, 1), b = Audio(16, 2), c = Audio(16, 3), d = Audio(16, 4),
                      e = Audio(5, 5);
    const std::string second = Metadata("StreamTitle='Two';");
    TestServer server([&](TestServer&, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\nicy-metaint: 16\r\n\r\n" + a + std::string(1, '\0') +
                                 b + Metadata("StreamTitle='One';") + c + std::string(1, '\0') + d +
                                 second.substr(0, 5));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        TestServer::Send(fd, second.substr(5) + e);
    });
    QueueMessageSink sink;
    StreamClient client(&sink);
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    WaitForEnd(client);
    EXPECT_EQ(ReadAll(client), a + b + c + d + e);
    ASSERT_TRUE(sink.Take());
    ASSERT_TRUE(sink.Take());
    EXPECT_EQ(sink.Size(), 0u);
    EXPECT_EQ(client.LastTitle(), u"Two");
}

TEST(StreamClientTest, RedirectIsFollowedToTheSecondServer) {
    TestServer target([](TestServer&, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\nicy-name: Target\r\n\r\ndata");
    });
    TestServer first([&](TestServer&, int fd) {
        TestServer::Send(fd,
                         "HTTP/1.0 302 Found\r\nLocation: " + target.Url("/moved") + "\r\n\r\n");
    });
    StreamClient client(nullptr);
    ASSERT_TRUE(client.Connect(U16(first.Url())));
    EXPECT_EQ(target.Request().rfind("GET /moved HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(client.StationName(), u"Target");
    WaitForEnd(client);
    EXPECT_EQ(ReadAll(client), "data");
}

TEST(StreamClientTest, FailedAnswersFailTheConnection) {
    const std::vector<std::string> answers = {
        "HTTP/1.0 302 Found\r\nServer: x\r\n\r\n", // redirect without a place to go
        "HTTP/1.0 301 Moved\r\nLocation: " + std::string(250, 'a') + "\r\n\r\n", // too long
        "HTTP/1.0 404 Not Found\r\n\r\n",
        "garbage\r\n\r\n",
        "HTTP/1.0 200 OK\r\n" + std::string(3000, 'x'), // header never ends within 2047 bytes
        "",                                             // closed without an answer
    };
    for (const std::string& answer : answers) {
        SCOPED_TRACE(answer.substr(0, 30));
        TestServer server([&](TestServer& s, int fd) {
            TestServer::Send(fd, answer);
            s.Hold(fd, 1000);
        });
        StreamClient client(nullptr);
        EXPECT_FALSE(client.Connect(U16(server.Url())));
        EXPECT_FALSE(client.SocketOpen());
        EXPECT_EQ(server.Connections(), 1);
        EXPECT_NE(client.LastError(), "");
        // The blocks were freed, so the options may change again.
        EXPECT_TRUE(client.SetOptions(client.Options()));
    }
}

TEST(StreamClientTest, RedirectLoopEndsAfterTenRedirects) {
    TestServer server([](TestServer& s, int fd) {
        TestServer::Send(fd, "HTTP/1.0 302 Found\r\nLocation: " + s.Url("/again") + "\r\n\r\n");
    });
    StreamClient client(nullptr);
    EXPECT_FALSE(client.Connect(U16(server.Url())));
    EXPECT_EQ(server.Connections(), 1 + StreamClient::kMaxRedirects);
}

TEST(StreamClientTest, BadAddressesFail) {
    StreamClient client(nullptr);
    EXPECT_FALSE(client.Connect(u""));
    EXPECT_FALSE(client.Connect(u"http://"));
    EXPECT_FALSE(client.Connect(u"http://127.0.0.1:99999/"));
    // A port nobody listens on: the listener is closed again before the connect.
    int port = 0;
    {
        TestServer server([](TestServer&, int) {});
        port = server.Port();
    }
    EXPECT_FALSE(client.Connect(U16("http://127.0.0.1:" + std::to_string(port) + "/")));
}

TEST(StreamClientTest, ProxyGetsTheWholeUrl) {
    TestServer proxy([](TestServer&, int fd) { TestServer::Send(fd, "ICY 200 OK\r\n\r\n"); });
    StreamClient client(nullptr);
    StreamingOptions options = client.Options();
    options.useProxy = 1;
    const std::u16string proxyText = U16("http://127.0.0.1:" + std::to_string(proxy.Port()));
    std::copy(proxyText.begin(), proxyText.end(), options.proxy);
    ASSERT_TRUE(client.SetOptions(options));
    ASSERT_TRUE(client.Connect(u"http://radio.invalid:8000/live"));
    EXPECT_EQ(proxy.Request(), "GET http://radio.invalid:8000/live HTTP/1.0\r\n"
                               "Host: radio.invalid\r\nAccept: */*\r\nIcy-MetaData:1\r\n"
                               "User-Agent: Unknown\r\n\r\n");
}

TEST(StreamClientTest, OptionsRules) {
    TestServer server([](TestServer& s, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\n\r\n");
        s.Hold(fd, 5000);
    });
    StreamClient client(nullptr);
    StreamingOptions options = client.Options();
    EXPECT_EQ(options.bufferSize, 64);
    EXPECT_EQ(options.prebufferSize, 32);
    EXPECT_EQ(std::u16string(options.userAgent), u"Unknown");

    options.prebufferSize = 80;
    ASSERT_TRUE(client.SetOptions(options));
    EXPECT_EQ(client.PrebufferBlocks(), 64);
    options.prebufferSize = 1;
    ASSERT_TRUE(client.SetOptions(options));
    EXPECT_EQ(client.PrebufferBlocks(), 64);
    options.bufferSize = 1;
    EXPECT_FALSE(client.SetOptions(options));
    EXPECT_EQ(client.BlockCount(), 64);

    options.bufferSize = 4;
    options.prebufferSize = 3;
    ASSERT_TRUE(client.SetOptions(options));
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    options.bufferSize = 8;
    EXPECT_FALSE(client.SetOptions(options)); // blocks exist
    client.Stop();
    EXPECT_TRUE(client.SetOptions(options));
    EXPECT_EQ(client.BlockCount(), 8);
}

TEST(StreamClientTest, FullBufferWaitsForTheReaderAndStopDoesNotHang) {
    const std::string audio = Audio(2048 * 6, 9);
    TestServer server([&](TestServer& s, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\n\r\n" + audio);
        s.Hold(fd, 10000);
    });
    StreamClient client(nullptr);
    StreamingOptions options = client.Options();
    options.bufferSize = 2;
    options.prebufferSize = 2;
    ASSERT_TRUE(client.SetOptions(options));
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    ASSERT_TRUE(client.WaitForPrebuffer());
    EXPECT_EQ(client.FilledBlocks(), 2);
    std::string got(2048 * 5, '\0');
    ASSERT_EQ(client.Read(got.data(), got.size()), got.size());
    EXPECT_EQ(got, audio.substr(0, got.size()));
    const auto start = std::chrono::steady_clock::now();
    client.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(client.SocketOpen());
    char byte;
    EXPECT_EQ(client.Read(&byte, 1), 0u);
}

TEST(StreamClientTest, StopWhileWaitingForTheAnswer) {
    TestServer server([](TestServer& s, int fd) { s.Hold(fd, 10000); });
    StreamClient client(nullptr);
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        client.Stop();
    });
    EXPECT_FALSE(client.Connect(U16(server.Url())));
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(StreamClientTest, StalledServerEndsTheConnectionButKeepsTheData) {
    TestServer server([](TestServer& s, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\n\r\n" + Audio(3000));
        s.Hold(fd, 8000);
    });
    StreamClient client(nullptr);
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    const auto start = std::chrono::steady_clock::now();
    WaitForEnd(client);
    EXPECT_FALSE(client.SocketOpen());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_FALSE(client.EndOfStream());
    // The partial block is kept as well.
    EXPECT_EQ(ReadAll(client), Audio(3000));
}

TEST(StreamClientTest, RelativeRedirectsEveryRedirectCodeAndBareLineFeeds) {
    std::mutex lock;
    std::vector<std::string> paths;
    TestServer server([&](TestServer& s, int fd) {
        const std::string request = s.Request();
        const std::string path = request.substr(4, request.find(' ', 4) - 4);
        {
            std::lock_guard<std::mutex> guard(lock);
            paths.push_back(path);
        }
        const std::string port = std::to_string(s.Port());
        if (path == "/radio/start")
            TestServer::Send(fd, "HTTP/1.0 301 Moved\nlocation: next.mp3\n\n");
        else if (path == "/radio/next.mp3")
            TestServer::Send(fd, "HTTP/1.1 303 See Other\r\nLocation: /Deep/Stream.MP3\r\n\r\n");
        else if (path == "/Deep/Stream.MP3")
            TestServer::Send(fd, "HTTP/1.1 307 Temporary\r\nLOCATION:  //127.0.0.1:" + port +
                                     "/last \r\n\r\n");
        else if (path == "/last")
            TestServer::Send(fd, "HTTP/1.1 308 Permanent\nLocation: http://127.0.0.1:" + port +
                                     "/play\n\n");
        else
            TestServer::Send(fd, "ICY 200 OK\nicy-name: Bare\nicy-metaint: 4\n\n" +
                                     std::string("abcd\0efgh", 9));
    });
    StreamClient client(nullptr);
    ASSERT_TRUE(client.Connect(U16(server.Url("/radio/start")))) << client.LastError();
    EXPECT_EQ(paths, (std::vector<std::string>{"/radio/start", "/radio/next.mp3",
                                               "/Deep/Stream.MP3", "/last", "/play"}));
    EXPECT_EQ(client.StationName(), u"Bare");
    WaitForEnd(client);
    EXPECT_EQ(ReadAll(client), "abcdefgh");
}

// The one slow test: a server that drips its header out a byte at a time.
TEST(StreamClientTest, AHeaderThatTricklesInFailsAtTheRequestLimit) {
    TestServer server([](TestServer& s, int fd) {
        const std::string header = "ICY 200 OK\r\nicy-name: " + std::string(500, 'x');
        for (size_t i = 0; i < header.size() && !s.Stopping(); ++i) {
            if (!LoopbackSocket::SendAll(fd, header.substr(i, 1)))
                return;
            s.Hold(fd, 50);
        }
    });
    StreamClient client(nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.Connect(U16(server.Url())));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, StreamClient::kRequestLimit - std::chrono::milliseconds(500));
    EXPECT_LT(took, StreamClient::kRequestLimit + std::chrono::seconds(2));
    EXPECT_NE(client.LastError().find("15 s"), std::string::npos) << client.LastError();
}

TEST(StreamClientTest, MetadataThatOutweighsTheAudioIsGivenUp) {
    // One audio byte, then a full metadata block, over and over: 64 MB of it, far more than the
    // socket buffers of both ends can hold.
    const std::string meta = Metadata(std::string(255 * 16 - 20, 'x'));
    std::string cycle = "a" + meta;
    std::atomic<size_t> sent{0};
    TestServer server([&](TestServer&, int fd) {
        const int small = 64 << 10;
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
        TestServer::Send(fd, "ICY 200 OK\r\nicy-metaint: 1\r\n\r\n");
        std::string chunk;
        for (int i = 0; i < 16; ++i)
            chunk += cycle;
        for (int i = 0; i < 1024 && LoopbackSocket::SendAll(fd, chunk); ++i)
            sent += chunk.size();
    });
    QueueMessageSink sink;
    StreamClient client(&sink);
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    WaitForEnd(client);
    EXPECT_FALSE(client.SocketOpen());
    EXPECT_TRUE(client.GaveUp());
    EXPECT_NE(client.LastError().find("more metadata than audio"), std::string::npos);
    EXPECT_FALSE(client.WaitForPrebuffer());
    EXPECT_LT(sent.load(), 16u << 20); // the client hung up long before the end
    // A new connection starts afresh.
    TestServer fine([](TestServer&, int fd) { TestServer::Send(fd, "ICY 200 OK\r\n\r\nok"); });
    ASSERT_TRUE(client.Connect(U16(fine.Url())));
    EXPECT_FALSE(client.GaveUp());
    EXPECT_EQ(client.LastError(), "");
}

TEST(StreamClientTest, AResetBeforeThePrebufferKeepsWhatArrived) {
    TestServer server([](TestServer&, int fd) {
        TestServer::Send(fd, "ICY 200 OK\r\n\r\n" + Audio(5000));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    });
    StreamClient client(nullptr);
    ASSERT_TRUE(client.Connect(U16(server.Url())));
    EXPECT_TRUE(client.WaitForPrebuffer());
    EXPECT_FALSE(client.EndOfStream());
    EXPECT_NE(client.LastError(), "");
    EXPECT_EQ(ReadAll(client), Audio(5000));
}

} // namespace
