#include "engine/stream/StreamClient.h"

#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"

#include "tests/LoopbackServer.h"
#include "tests/TempFolder.h"
#include "tests/TestTls.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// An https server on 127.0.0.1: every connection gets `answer` over TLS with a certificate of
// `tls`, then the server hangs up without a TLS goodbye, as radio servers do.
class TlsServer {
public:
    TlsServer(const TestTls& tls, std::string answer, int holdMs = 0)
        : m_answer(std::move(answer)), m_server(
                                           [this, &tls, holdMs](LoopbackServer& server, int fd) {
                                               auto ssl = tls.Accept(fd);
                                               if (!ssl)
                                                   return;
                                               server.SetRequest(TestTls::ReadRequest(ssl.get()));
                                               TestTls::Send(ssl.get(), m_answer);
                                               server.Hold(fd, holdMs);
                                           },
                                           false) {}

    std::string Url(const std::string& host = "127.0.0.1") const {
        return "https://" + host + ":" + std::to_string(m_server.Port()) + "/live";
    }
    std::string Request() const { return m_server.Request(); }
    int Connections() const { return m_server.Connections(); }

private:
    std::string m_answer;
    LoopbackServer m_server;
};

class StreamTlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        m_folder = new TempFolder;
        m_trusted = new TestTls("IP:127.0.0.1,DNS:localhost");
        m_trusted->Trust(*m_folder / "authority.pem");
    }
    static void TearDownTestSuite() {
        delete m_trusted;
        delete m_folder;
    }

    static std::string ReadAll(StreamClient& client) {
        for (int i = 0; i < 500 && client.SocketOpen(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::string all(100000, '\0');
        all.resize(client.Read(all.data(), all.size()));
        return all;
    }

    static inline TempFolder* m_folder = nullptr;
    static inline TestTls* m_trusted = nullptr;
};

std::u16string U16(const std::string& text) {
    return TextCodec::Utf8ToUtf16(text);
}

TEST_F(StreamTlsTest, HttpsStreamWithMetadataByAddressAndByName) {
    std::string audio(12000, '\0');
    for (size_t i = 0; i < audio.size(); ++i)
        audio[i] = static_cast<char>(i * 13);
    std::string meta = "StreamTitle='Secure Song';";
    meta.resize(32, '\0');
    const std::string body = audio.substr(0, 8192) + '\2' + meta + audio.substr(8192);
    TlsServer server(*m_trusted,
                     "ICY 200 OK\r\nicy-name: Secure FM\r\nicy-metaint: 8192\r\n\r\n" + body);
    for (const std::string host : {"127.0.0.1", "localhost"}) {
        SCOPED_TRACE(host);
        QueueMessageSink sink;
        StreamClient client(&sink);
        ASSERT_TRUE(client.Connect(U16(server.Url(host)))) << client.LastError();
        EXPECT_EQ(server.Request().rfind("GET /live HTTP/1.0\r\nHost: " + host + "\r\n", 0), 0u);
        EXPECT_EQ(client.StationName(), u"Secure FM");
        EXPECT_TRUE(ReadAll(client) == audio);
        EXPECT_TRUE(client.EndOfStream());
        EXPECT_EQ(client.LastTitle(), u"Secure Song");
        EXPECT_EQ(client.LastError(), "");
    }
}

TEST_F(StreamTlsTest, PlainHttpRedirectsToHttps) {
    TlsServer secure(*m_trusted, "HTTP/1.0 200 OK\r\n\r\nsecret");
    LoopbackServer plain([&](LoopbackServer&, int fd) {
        LoopbackServer::Send(fd, "HTTP/1.1 301 Moved Permanently\r\nLocation: " + secure.Url() +
                                     "\r\n\r\n");
    });
    StreamClient client(nullptr);
    ASSERT_TRUE(client.Connect(U16(plain.Url()))) << client.LastError();
    EXPECT_EQ(ReadAll(client), "secret");
}

TEST_F(StreamTlsTest, UntrustedOrMisnamedCertificatesAreRefused) {
    const TestTls stranger("IP:127.0.0.1");                 // from an authority nobody trusts
    const TestTls misnamed("DNS:elsewhere.test", m_trusted); // trusted, but for another server
    for (const TestTls* tls : {&stranger, &misnamed}) {
        TlsServer server(*tls, "ICY 200 OK\r\n\r\nnever");
        StreamClient client(nullptr);
        EXPECT_FALSE(client.Connect(U16(server.Url())));
        EXPECT_NE(client.LastError().find("certificate verify failed"), std::string::npos)
            << client.LastError();
        EXPECT_FALSE(client.SocketOpen());
        EXPECT_EQ(server.Request(), "");
    }
}

TEST_F(StreamTlsTest, ThroughAProxyHttpsGoesThroughATunnel) {
    TlsServer secure(*m_trusted, "ICY 200 OK\r\nicy-name: Tunnelled\r\n\r\nthrough");
    // A CONNECT proxy: answers 200, then relays both ways until one side hangs up.
    LoopbackServer proxy([](LoopbackServer& s, int client) {
        int port = 0;
        if (std::sscanf(s.Request().c_str(), "CONNECT 127.0.0.1:%d HTTP/1.0\r\n", &port) != 1)
            return LoopbackServer::Send(client, "HTTP/1.0 400 Bad Request\r\n\r\n");
        const int server = LoopbackSocket::Connect(port);
        LoopbackServer::Send(client, "HTTP/1.0 200 Connection established\r\n\r\n");
        for (bool open = server >= 0; open && !s.Stopping();) {
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(p, 2, 20) <= 0)
                continue;
            for (int i = 0; i < 2 && open; ++i) {
                char buffer[4096];
                if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = recv(p[i].fd, buffer, sizeof buffer, 0);
                open = n > 0 && LoopbackSocket::SendAll(
                                    p[1 - i].fd, std::string(buffer, static_cast<size_t>(n)));
            }
        }
        if (server >= 0)
            close(server);
    });
    StreamClient client(nullptr);
    StreamingOptions options = client.Options();
    options.useProxy = 1;
    const std::u16string proxyText = U16("127.0.0.1:" + std::to_string(proxy.Port()));
    std::copy(proxyText.begin(), proxyText.end(), options.proxy);
    ASSERT_TRUE(client.SetOptions(options));
    ASSERT_TRUE(client.Connect(U16(secure.Url()))) << client.LastError();
    EXPECT_EQ(proxy.Request().rfind("CONNECT 127.0.0.1:", 0), 0u);
    EXPECT_EQ(secure.Request().rfind("GET /live HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(client.StationName(), u"Tunnelled");
    EXPECT_EQ(ReadAll(client), "through");
}

TEST_F(StreamTlsTest, StopEndsAHandshakeTheServerNeverAnswers) {
    LoopbackServer silent([](LoopbackServer& s, int fd) { s.Hold(fd, 10000); }, false);
    StreamClient client(nullptr);
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        client.Stop();
    });
    EXPECT_FALSE(client.Connect(U16("https://127.0.0.1:" + std::to_string(silent.Port()) + "/")));
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

} // namespace
