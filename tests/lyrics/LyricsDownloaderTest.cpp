#include "lyrics/LyricsDownloader.h"

#include "lyrics/LrcFileWriter.h"
#include "lyrics/LrclibClient.h"
#include "platform/TextCodec.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"

#include "tests/LoopbackSocket.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kFixtures = SONVALE_FIXTURES;
// The checksum of the fixture below (see LyricsChecksumTest).
const std::string kChecksum = "73ae5a263c8cf91f2f91572874f332cf";

// A loopback HTTP server: reads each request (head and a body of Content-Length bytes), keeps
// it, and hands the socket to the test's handler, which answers. The socket closes after it.
class SoapServer {
public:
    using Handler = std::function<void(SoapServer& server, int fd)>;

    explicit SoapServer(Handler handler) : m_handler(std::move(handler)) {
        m_listener = LoopbackSocket::Listen(m_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~SoapServer() {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    int Connections() const { return m_connections; }
    bool Stopping() const { return m_stop; }
    std::string Head() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_head;
    }
    std::string Body() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_body;
    }

    static void Respond(int fd, int status, const std::string& body) {
        LoopbackSocket::SendAll(fd, "HTTP/1.1 " + std::to_string(status) +
                                        " X\r\nContent-Type: application/soap+xml; "
                                        "charset=utf-8\r\nContent-Length: " +
                                        std::to_string(body.size()) + "\r\n\r\n" + body);
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
            std::string request = Receive(fd);
            const size_t end = request.find("\r\n\r\n");
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_head = request.substr(0, end);
                m_body = end == std::string::npos ? std::string() : request.substr(end + 4);
            }
            m_handler(*this, fd);
            close(fd);
        }
    }

    // The head and as much body as Content-Length announces.
    std::string Receive(int fd) {
        std::string request;
        char scratch[1024];
        while (!m_stop) {
            const size_t end = request.find("\r\n\r\n");
            if (end != std::string::npos) {
                const size_t length = request.find("Content-Length: ");
                const size_t want =
                    length < end ? std::stoul(request.substr(length + 16)) : size_t{0};
                if (request.size() >= end + 4 + want)
                    break;
            }
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = recv(fd, scratch, sizeof scratch, 0);
            if (n <= 0)
                break;
            request.append(scratch, static_cast<size_t>(n));
        }
        return request;
    }

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::string m_head, m_body;
    std::thread m_thread;
};

std::string Answer(const std::string& lyric) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
           "<GetLyric5Response xmlns=\"ALSongWebServer\"><GetLyric5Result>"
           "<strInfoID>77</strInfoID><strLyric>" +
           lyric +
           "</strLyric><strTitle>\xEB\xB0\xA4 Song</strTitle><strArtist>The Band</strArtist>"
           "<strAlbum>Best &amp; More</strAlbum></GetLyric5Result></GetLyric5Response>"
           "</soap:Body></soap:Envelope>";
}

const std::string kLyric = "[00:01.50]Hello&lt;br&gt;[00:01.50]\xEC\x95\x88\xEB\x85\x95&lt;br&gt;"
                           "[00:01.50]annyeong&lt;br&gt;[00:04.00]World&lt;br&gt;"
                           "[00:00.00]credits";

std::string Utf16File(const std::u16string& text) {
    return "\xFF\xFE" + Utf16Le(text);
}

class LyricsDownloaderTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string song = folder.Write("My Song.mp3", ReadFixture("mpeg1-l3-cbr-info.mp3"));
    std::string lrc = folder / "My Song.lrc";

    static std::string ReadFixture(const std::string& name) {
        std::ifstream in(kFixtures + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    bool Download(const std::string& host, bool second = true, bool third = true,
                  LyricsServiceLimits limits = LyricsServiceLimits()) {
        LyricsDownloader downloader(host, limits);
        return downloader.DownloadLyrics(std::filesystem::path(song).u16string(), second, third);
    }
};

} // namespace

TEST_F(LyricsDownloaderTest, PostsTheSoapCallAndWritesTheLrcFile) {
    SoapServer server([](SoapServer&, int fd) {
        std::this_thread::sleep_for(std::chrono::milliseconds(350));
        SoapServer::Respond(fd, 200, Answer(kLyric));
    });
    LyricsDownloader downloader(server.Host());
    const std::thread::id caller = std::this_thread::get_id();
    int waits = 0;
    downloader.SetWaitCallback([&] {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        ++waits;
    });
    ASSERT_TRUE(downloader.DownloadLyrics(std::filesystem::path(song).u16string(), true, true));
    EXPECT_GE(waits, 2);

    const std::string head = server.Head();
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "POST /alsongwebservice/service1.asmx HTTP/1.1");
    EXPECT_NE(head.find("\r\nUser-Agent: gSOAP/2.7\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nContent-Type: application/soap+xml; charset=utf-8"), std::string::npos)
        << head;
    EXPECT_EQ(head.find("Expect:"), std::string::npos) << head;
    const std::string body =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://www.w3.org/2003/05/soap-envelope\" "
        "xmlns:SOAP-ENC=\"http://www.w3.org/2003/05/soap-encoding\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:ns2=\"ALSongWebServer/Service1Soap\" xmlns:ns1=\"ALSongWebServer\" "
        "xmlns:ns3=\"ALSongWebServer/Service1Soap12\"><SOAP-ENV:Body><ns1:GetLyric5>"
        "<ns1:stQuery><ns1:strChecksum>" +
        kChecksum +
        "</ns1:strChecksum><ns1:strVersion>1.93</ns1:strVersion>"
        "<ns1:strMACAddress>0050BA3C91D2</ns1:strMACAddress>"
        "<ns1:strIPAddress>192.168.0.17</ns1:strIPAddress></ns1:stQuery></ns1:GetLyric5>"
        "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
    EXPECT_EQ(server.Body(), body);
    EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(body.size())), std::string::npos);

    EXPECT_EQ(downloader.Title(), u"밤 Song");
    EXPECT_EQ(downloader.Artist(), u"The Band");
    EXPECT_EQ(downloader.Album(), u"Best &amp; More");
    const std::u16string lines =
        u"[00:01.50]Hello / 안녕 / annyeong\r\n[00:04.00]World / credits\r\n";
    EXPECT_EQ(downloader.Result(), lines);
    EXPECT_EQ(folder.Read("My Song.lrc"),
              Utf16File(u"[ar:The Band]\r\n[ti:밤 Song]\r\n[al:Best &amp; More]\r\n" + lines));
    EXPECT_EQ(Names(), (std::vector<std::string>{"My Song.lrc", "My Song.mp3"}));
}

TEST_F(LyricsDownloaderTest, OptionsChooseTheLinesOfAGroupAndANewFileReplacesTheOld) {
    SoapServer server([](SoapServer&, int fd) { SoapServer::Respond(fd, 200, Answer(kLyric)); });
    folder.Write("My Song.lrc",
                 "old lyrics, longer than the new ones will be ........................"
                 "......................................................................"
                 "......................................................................");
    // "credits" at 00:00.00 is the second line of the group at 00:04.00.
    ASSERT_TRUE(Download(server.Host(), false, true));
    EXPECT_EQ(folder.Read("My Song.lrc"),
              Utf16File(u"[ar:The Band]\r\n[ti:밤 Song]\r\n[al:Best &amp; More]\r\n"
                        u"[00:01.50]Hello / annyeong\r\n[00:04.00]World\r\n"));
    ASSERT_TRUE(Download(server.Host(), true, false));
    EXPECT_EQ(folder.Read("My Song.lrc"),
              Utf16File(u"[ar:The Band]\r\n[ti:밤 Song]\r\n[al:Best &amp; More]\r\n"
                        u"[00:01.50]Hello / 안녕\r\n[00:04.00]World / credits\r\n"));
    ASSERT_TRUE(Download(server.Host(), false, false));
    EXPECT_EQ(folder.Read("My Song.lrc"),
              Utf16File(u"[ar:The Band]\r\n[ti:밤 Song]\r\n[al:Best &amp; More]\r\n"
                        u"[00:01.50]Hello\r\n[00:04.00]World\r\n"));
    EXPECT_EQ(server.Connections(), 3);
    EXPECT_EQ(Names(), (std::vector<std::string>{"My Song.lrc", "My Song.mp3"}));
}

TEST_F(LyricsDownloaderTest, FailedAnswersWriteNoFile) {
    using Reply = std::function<void(int)>;
    const std::vector<std::pair<const char*, Reply>> replies = {
        {"status 500", [](int fd) { SoapServer::Respond(fd, 500, Answer(kLyric)); }},
        {"status 404", [](int fd) { SoapServer::Respond(fd, 404, ""); }},
        {"empty lyrics", [](int fd) { SoapServer::Respond(fd, 200, Answer("")); }},
        {"no lyrics element",
         [](int fd) { SoapServer::Respond(fd, 200, "<strTitle>x</strTitle>"); }},
        {"lyrics without times", [](int fd) { SoapServer::Respond(fd, 200, Answer("just text")); }},
        {"closed before answering", [](int) {}},
        {"closed in the body",
         [](int fd) {
             const std::string answer = Answer(kLyric);
             LoopbackSocket::SendAll(
                 fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(answer.size()) +
                         "\r\n\r\n" + answer.substr(0, answer.size() / 2));
         }},
        {"garbage", [](int fd) { LoopbackSocket::SendAll(fd, std::string(300, '\x01')); }},
    };
    for (const auto& entry : replies) {
        SCOPED_TRACE(entry.first);
        const auto& reply = entry.second;
        SoapServer server([&reply](SoapServer&, int fd) { reply(fd); });
        EXPECT_FALSE(Download(server.Host()));
        EXPECT_EQ(server.Connections(), 1);
        EXPECT_EQ(Names(), std::vector<std::string>{"My Song.mp3"});
    }

    // An existing file stays as it was.
    folder.Write("My Song.lrc", "kept");
    SoapServer server([](SoapServer&, int fd) { SoapServer::Respond(fd, 500, ""); });
    EXPECT_FALSE(Download(server.Host()));
    EXPECT_EQ(folder.Read("My Song.lrc"), "kept");
}

TEST_F(LyricsDownloaderTest, SilentFloodingOrMissingServersEndTheDownload) {
    LyricsServiceLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.totalTimeoutMs = 1500;
    limits.stallTimeoutS = 1;
    limits.maxAnswerBytes = 64 << 10;

    SoapServer silent([](SoapServer& server, int) {
        while (!server.Stopping() && server.Connections() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    EXPECT_FALSE(Download(silent.Host(), true, true, limits));

    // An answer that never ends is cut off at the size limit, well before the time-out.
    SoapServer flood([](SoapServer& server, int fd) {
        LoopbackSocket::SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n");
        const std::string chunk(4096, 'x');
        while (!server.Stopping() && LoopbackSocket::SendAll(fd, chunk)) {
        }
    });
    const auto start = std::chrono::steady_clock::now();
    limits.totalTimeoutMs = 60000;
    EXPECT_FALSE(Download(flood.Host(), true, true, limits));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));

    int port = 0;
    const int closed = LoopbackSocket::Listen(port);
    close(closed);
    EXPECT_FALSE(Download("127.0.0.1:" + std::to_string(port), true, true, limits));
    EXPECT_EQ(Names(), std::vector<std::string>{"My Song.mp3"});
}

TEST_F(LyricsDownloaderTest, FilesThatAreNotMpegNeverReachTheServer) {
    SoapServer server([](SoapServer&, int fd) { SoapServer::Respond(fd, 200, Answer(kLyric)); });
    song = folder.Write("notes.mp3", std::string(4000, 'n'));
    EXPECT_FALSE(Download(server.Host()));
    song = folder / "gone.mp3";
    EXPECT_FALSE(Download(server.Host()));
    EXPECT_EQ(server.Connections(), 0);
}

TEST(LyricsDownloaderSettingTest, TheServerHostComesFromTheSettings) {
    TempFolder folder;
    Registry registry(folder / "registry.db");
    Profile profile(registry, setting::kRegistryKeyWord, setting::kProfileName);
    EXPECT_EQ(LyricsDownloader::ServerHost(profile), "lyrics.alsong.co.kr");
    profile.WriteProfileString(setting::kSettings, u"LyricsServer", u"127.0.0.1:8080");
    EXPECT_EQ(LyricsDownloader::ServerHost(profile), "127.0.0.1:8080");
    profile.WriteProfileString(setting::kSettings, u"LyricsServer", u"");
    EXPECT_EQ(LyricsDownloader::ServerHost(profile), "lyrics.alsong.co.kr");

    using Source = LyricsDownloader::Source;
    EXPECT_EQ(LyricsDownloader::LrclibServer(profile), "https://lrclib.net");
    EXPECT_EQ(LyricsDownloader::Sources(profile), (std::vector{Source::Soap, Source::Lrclib}));
    const std::pair<const char16_t*, std::vector<Source>> orders[] = {
        {u"LRCLIB", {Source::Lrclib}},
        {u"lrclib, soap,lrclib", {Source::Lrclib, Source::Soap}},
        {u"nothing known", {Source::Soap, Source::Lrclib}},
    };
    for (const auto& [text, sources] : orders) {
        profile.WriteProfileString(setting::kSettings, u"LyricsSources", text);
        EXPECT_EQ(LyricsDownloader::Sources(profile), sources);
    }
}

namespace {

// LRCLIB as a loopback server: JSON records over plain HTTP, asked for through the settings.
class LrclibDownloadTest : public LyricsDownloaderTest {
protected:
    TempFolder home;
    Registry registry{home / "registry.db"};
    Profile profile{registry, setting::kRegistryKeyWord, setting::kProfileName};

    LrclibDownloadTest() {
        song = folder.Write("My Song.mp3", ReadFixture("tag-id3v23.mp3"));
        // Nothing reaches a real service.
        profile.WriteProfileString(setting::kSettings, u"LyricsServer", u"127.0.0.1:1");
        profile.WriteProfileString(setting::kSettings, u"LrclibServer", u"http://127.0.0.1:1");
    }
    void Use(const SoapServer& lrclib, const SoapServer* soap = nullptr,
             const char16_t* sources = u"lrclib") {
        profile.WriteProfileString(setting::kSettings, u"LrclibServer",
                                   TextCodec::Utf8ToUtf16("http://" + lrclib.Host() + "/"));
        if (soap != nullptr)
            profile.WriteProfileString(setting::kSettings, u"LyricsServer",
                                       TextCodec::Utf8ToUtf16(soap->Host()));
        profile.WriteProfileString(setting::kSettings, u"LyricsSources", sources);
    }
    bool Download(LyricsDownloader& downloader) {
        return downloader.DownloadLyrics(std::filesystem::path(song).u16string(), true, true);
    }
};

const std::string kRecord =
    R"({"id":3,"trackName":"Fixture Title","artistName":"Fixture Artist",)"
    R"("albumName":"\ubc24 Album","duration":1.0,"instrumental":false,)"
    R"("plainLyrics":"Hello\nWorld\n","syncedLyrics":"[00:01.50] Hello\n[00:04.00] World\n"})";

} // namespace

TEST_F(LrclibDownloadTest, ATrackOnlyLrclibKnowsGetsItsSyncedLinesAsLrc) {
    SoapServer soap([](SoapServer&, int fd) { SoapServer::Respond(fd, 500, ""); });
    SoapServer lrclib([](SoapServer&, int fd) { SoapServer::Respond(fd, 200, kRecord); });
    Use(lrclib, &soap, u"soap,lrclib");
    LyricsDownloader downloader(profile);
    ASSERT_TRUE(Download(downloader));
    EXPECT_EQ(soap.Connections(), 1);

    // The fixture lasts a quarter of a second: no whole second to send.
    const std::string head = lrclib.Head();
    EXPECT_EQ(head.substr(0, head.find("\r\n")),
              "GET /api/get?track_name=Fixture%20Title&artist_name=Fixture%20Artist"
              "&album_name=Fixture%20Album HTTP/1.1");
    EXPECT_NE(head.find("\r\nUser-Agent: Sonvale v" SONVALE_VERSION
                        " (https://github.com/sonvale/sonvale)\r\n"),
              std::string::npos)
        << head;

    const std::u16string lines = u"[00:01.50]Hello\r\n[00:04.00]World\r\n";
    EXPECT_EQ(downloader.Result(), lines);
    EXPECT_EQ(downloader.Title(), u"Fixture Title");
    EXPECT_EQ(downloader.Album(), u"밤 Album");
    EXPECT_EQ(folder.Read("My Song.lrc"),
              Utf16File(u"[ar:Fixture Artist]\r\n[ti:Fixture Title]\r\n[al:밤 Album]\r\n" + lines));
    EXPECT_EQ(Names(), (std::vector<std::string>{"My Song.lrc", "My Song.mp3"}));

    // Asked first, LRCLIB answers alone.
    std::filesystem::remove(lrc);
    Use(lrclib, &soap, u"lrclib,soap");
    LyricsDownloader again(profile);
    ASSERT_TRUE(Download(again));
    EXPECT_EQ(soap.Connections(), 1);
    EXPECT_EQ(lrclib.Connections(), 2);
}

TEST_F(LrclibDownloadTest, PlainLyricsOnlyWhenThereAreNoSyncedOnes) {
    SoapServer lrclib([](SoapServer&, int fd) {
        SoapServer::Respond(fd, 200,
                            R"({"trackName":"T","artistName":"A","albumName":null,)"
                            R"("plainLyrics":"\nFirst line\r\n\nSecond line\n\n",)"
                            R"("syncedLyrics":null})");
    });
    Use(lrclib);
    LyricsDownloader downloader(profile);
    ASSERT_TRUE(Download(downloader));
    EXPECT_EQ(downloader.Result(), u"First line\r\n\r\nSecond line\r\n");
    EXPECT_EQ(folder.Read("My Song.txt"), "First line\r\n\r\nSecond line\r\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"My Song.mp3", "My Song.txt"}));
}

TEST(LrclibTrackTest, TheTrackAskedAboutComesFromTagsAndHeaders) {
    LrclibTrack track;
    EXPECT_TRUE(LrclibClient::ReadTrack(u"" SONVALE_FIXTURES "/tag-id3v24-utf8.mp3", track));
    EXPECT_EQ(track.title, "노래 제목");
    EXPECT_EQ(track.artist, "Beyoncé & Ørjan");
    EXPECT_EQ(track.album, "Café del Mar 𝄞");
    // Without an artist there is nothing to ask; the length is read all the same.
    EXPECT_FALSE(
        LrclibClient::ReadTrack(u"" SONVALE_FIXTURES "/mpeg1-l3-vbr-plain-12s.mp3", track));
    EXPECT_EQ(track.title, "mpeg1-l3-vbr-plain-12s");
    EXPECT_EQ(track.durationS, 12);
    EXPECT_TRUE(LrclibClient::ReadTrack(u"" SONVALE_FIXTURES "/tag-vorbis.ogg", track));
    EXPECT_EQ(track.artist, "Jürgen Ö");
    EXPECT_EQ(track.album, "앨범");
    EXPECT_FALSE(LrclibClient::ReadTrack(u"" SONVALE_FIXTURES "/missing.mp3", track));
}

TEST_F(LrclibDownloadTest, UnknownTracksSilentServersAndExistingFilesWriteNothing) {
    using Reply = std::function<void(SoapServer&, int)>;
    const std::vector<std::pair<const char*, Reply>> replies = {
        {"404", [](SoapServer&, int fd) { SoapServer::Respond(fd, 404, R"({"code":404})"); }},
        {"no lyrics",
         [](SoapServer&, int fd) {
             SoapServer::Respond(fd, 200, R"({"plainLyrics":null,"syncedLyrics":""})");
         }},
        {"not JSON", [](SoapServer&, int fd) { SoapServer::Respond(fd, 200, "[00:01.00]x"); }},
        {"silent",
         [](SoapServer& server, int) {
             while (!server.Stopping())
                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
         }},
    };
    LyricsServiceLimits limits;
    limits.totalTimeoutMs = 1000;
    for (const auto& [name, reply] : replies) {
        SCOPED_TRACE(name);
        SoapServer lrclib(reply);
        Use(lrclib);
        LyricsDownloader downloader(profile, limits);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(Download(downloader));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(lrclib.Connections(), 1);
        EXPECT_TRUE(downloader.Result().empty());
        EXPECT_EQ(Names(), std::vector<std::string>{"My Song.mp3"});
    }

    // A track with an LRC file keeps it: the services are not even asked.
    SoapServer lrclib([](SoapServer&, int fd) { SoapServer::Respond(fd, 200, kRecord); });
    Use(lrclib);
    folder.Write("My Song.lrc", "kept");
    LyricsDownloader downloader(profile);
    downloader.SetReplaceExisting(false);
    EXPECT_FALSE(Download(downloader));
    EXPECT_EQ(lrclib.Connections(), 0);
    EXPECT_EQ(folder.Read("My Song.lrc"), "kept");
    // Nor does a file that appears while the lyrics are written get replaced.
    EXPECT_FALSE(LrcFileWriter::WriteAtomically(lrc, "new", false));
    EXPECT_EQ(folder.Read("My Song.lrc"), "kept");
    EXPECT_EQ(Names(), (std::vector<std::string>{"My Song.lrc", "My Song.mp3"}));
}
