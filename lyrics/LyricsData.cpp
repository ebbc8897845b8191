#include "lyrics/LyricsData.h"

#include <algorithm>
#include <utility>

namespace {

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to) {
    std::u16string out;
    out.reserve(text.size());
    size_t start = 0;
    for (size_t at = text.find(from); at != std::u16string_view::npos;
         at = text.find(from, start)) {
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

} // namespace

void LyricsData::LyricsReset() {
    lyrics.clear();
    lineByTime.clear();
    textByTime.clear();
    times.clear();
    wordsByTime.clear();
    nextLineNumber = 0;
}

void LyricsData::AddLyricLine(int key, const std::u16string& text,
                              const std::vector<WordTime>& words) {
    if (std::find(times.begin(), times.end(), key) != times.end())
        return;
    if (!lineByTime.contains(key))
        lineByTime[key] = nextLineNumber++;
    textByTime[key] = text;
    times.push_back(key);
    if (!words.empty())
        wordsByTime[key] = words;
}

void LyricsData::SortLyrics() {
    // Bubble sort that stops after a pass without swaps: lyrics usually come sorted, and then
    // this is one pass.
    for (size_t end = times.size(); end > 1; --end) {
        bool swapped = false;
        for (size_t i = 0; i + 1 < end; ++i) {
            if (times[i + 1] < times[i]) {
                std::swap(times[i], times[i + 1]);
                swapped = true;
            }
        }
        if (!swapped)
            break;
    }
}

LyricsData::Lookup LyricsData::LyricAt(int64_t positionMs, int sync) const {
    Lookup result;
    const int64_t n = sync + positionMs / kMsPerKey + 1;
    if (n < 0)
        return result;
    // The nearest key at or below n that has a text; keys below 0 are never shown.
    auto it = textByTime.upper_bound(static_cast<int>(std::min<int64_t>(n, INT32_MAX)));
    if (it == textByTime.begin())
        return result;
    --it;
    if (it->first < 0)
        return result;
    result.key = it->first;
    result.first = it->second;
    // The words sung by now (moved by the sync like the lines): up to the end of the last one
    // that has begun.
    if (const auto words = wordsByTime.find(result.key); words != wordsByTime.end()) {
        const int64_t now = positionMs + int64_t{sync} * kMsPerKey;
        result.sung = 0;
        for (size_t w = 0; w < words->second.size() && words->second[w].ms <= now; ++w)
            result.sung = static_cast<int>(
                w + 1 < words->second.size() ? words->second[w + 1].offset : result.first.size());
    }
    auto at = std::find(times.begin(), times.end(), result.key);
    if (at != times.end() && ++at != times.end()) {
        auto next = textByTime.find(*at);
        if (next != textByTime.end())
            result.second = next->second;
    }
    return result;
}

std::u16string LyricsData::BreakLines(std::u16string_view text) {
    std::u16string out = ReplaceAll(text, u" / ", u"\n");
    out = ReplaceAll(out, u" /", u"\n");
    out = ReplaceAll(out, u"/ ", u"\n");
    return ReplaceAll(out, u"/", u"\n");
}
