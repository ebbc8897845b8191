#include "engine/stream/StreamClient.h"

#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"

#include "tests/LoopbackSocket.h"

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

// A loopback server: accepts connections on 127.0.0.1 one after the other, reads the request
// and hands the socket to a scripted handler. The socket is closed when the handler returns.
class TestServer {
public:
    using Handler = std::function<void(TestServer& server, int fd)>;

    explicit TestServer(Handler handler) : handler_(std::move(handler)) {
        listener_ = LoopbackSocket::Listen(port_, 16);
        thread_ = std::thread([this] { Run(); });
    }

    ~TestServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }

    int Port() const { return port_; }
    std::string Url(const std::string& path = "/live") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int Connections() const { return connections_; }
    std::string Request() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return request_;
    }
    bool Stopping() const { return stop_; }

    static void Send(int fd, const std::string& bytes) { LoopbackSocket::SendAll(fd, bytes); }

    // Keeps the connection open until the client closes it, the server stops or `ms` pass.
    void Hold(int fd, int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!stop_ && std::chrono::steady_clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                char scratch[512];
                if (recv(fd, scratch, sizeof scratch, 0) <= 0)
                    return;
            }
        }
    }

private:
    void Run() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0)
                continue;
            ++connections_;
            std::string request;
            char scratch[512];
            while (request.find("\r\n\r\n") == std::string::npos && !stop_) {
                pollfd c{fd, POLLIN, 0};
                if (poll(&c, 1, 20) <= 0)
                    continue;
                const ssize_t n = recv(fd, scratch, sizeof scratch, 0);
                if (n <= 0)
                    break;
                request.append(scratch, static_cast<size_t>(n));
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                request_ = request;
            }
            handler_(*this, fd);
            close(fd);
        }
    }

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::string request_;
    std::thread thread_;
};

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

} // namespace
