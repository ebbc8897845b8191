#include "lyrics/LyricsDownloader.h"

#include "lyrics/LrcFileWriter.h"
#include "lyrics/LyricsAnswer.h"
#include "lyrics/LyricsChecksum.h"
#include "platform/TextCodec.h"
#include "platform/Thread.h"
#include "settings/Settings.h"

namespace {

constexpr uint32_t kWaitStepMs = 100;

} // namespace

LyricsDownloader::LyricsDownloader(std::string host, LyricsServiceLimits limits)
    : service_(std::move(host), limits) {}

std::string LyricsDownloader::ServerHost(Profile& profile) {
    std::u16string host = Settings::Get(profile, setting::kLyricsServer);
    if (host.empty())
        host = setting::kLyricsServer.defaultValue;
    return TextCodec::Utf16ToUtf8(host);
}

bool LyricsDownloader::DownloadLyrics(const std::u16string& path, bool appendSecondLine,
                                      bool appendThirdLine) {
    result_.clear();
    title_.clear();
    artist_.clear();
    album_.clear();
    const std::string file = TextCodec::Utf16ToUtf8(path);
    bool done = false;
    Thread worker;
    if (!worker.Start([&] { done = Download(file, appendSecondLine, appendThirdLine); }))
        return false;
    while (!worker.Wait(kWaitStepMs)) {
        if (onWait_)
            onWait_();
    }
    return done;
}

bool LyricsDownloader::Download(const std::string& path, bool appendSecondLine,
                                bool appendThirdLine) {
    std::string checksum, bytes;
    LyricsAnswer answer;
    if (!LyricsChecksum::Compute(path, checksum) || !service_.GetLyric(checksum, bytes) ||
        !answer.Parse(bytes))
        return false;
    title_ = answer.Title();
    artist_ = answer.Artist();
    album_ = answer.Album();
    result_ = answer.LrcLines(appendSecondLine, appendThirdLine);
    if (result_.empty())
        return false;
    return LrcFileWriter::WriteAtomically(
        LrcFileWriter::LrcPath(path), LrcFileWriter::Contents(artist_, title_, album_, result_));
}
