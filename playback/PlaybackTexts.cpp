#include "playback/PlaybackTexts.h"

#include <string>

namespace {

struct Twin {
    const char16_t* english;
    const char16_t* korean;
};

// In the order of PlaybackText.
const Twin kTexts[] = {
    {u"Decoder Error", u"디코더 에러"},
    {u"%s (%s)", u"%s (%s)"},
    {u"File open failed:%d (%s)", u"파일 열기 실패:%d (%s)"},
    {u"File loading timeout (%s)", u"파일 로딩 시간 초과 (%s)"},
    {u"Invalid channel handle.", u"오디오 재생 실패"},
    {u"Sonvale Alarm", u"Sonvale 알림"},
    {u"<HTML><BODY>The MP3 file of VBR form requires time for loading. Please wait for a while "
     u"till file loading completion...</BODY></HTML>",
     u"<HTML><BODY>VBR 형식의 MP3 파일은 로딩 시간이 오래 걸릴 수 있습니다. 파일 로딩이 "
     u"완료될 때까지 잠시만 기다려주세요...</BODY></HTML>"},
    {u"Connecting...", u"접속중..."},
    {u"Buffering... (%d%%)", u"버퍼링... (%d%%)"},
    {u"None", u"반복없음"},
    {u"One", u"단일파일"},
    {u"All", u"재생목록"},
};

std::u16string Number(int64_t value, size_t width, bool zeros) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::u16string out(digits.begin(), digits.end());
    const size_t sign = value < 0 ? 1 : 0;
    if (out.size() + sign < width)
        out.insert(0, width - out.size() - sign, zeros ? u'0' : u' ');
    if (sign)
        out.insert(zeros ? 0 : out.find_first_not_of(u' '), 1, u'-');
    return out;
}

} // namespace

std::u16string PlaybackTexts::Text(PlaybackText text, bool korean) {
    const Twin& twin = kTexts[static_cast<int>(text)];
    return korean ? twin.korean : twin.english;
}

std::u16string PlaybackTexts::Format(PlaybackText text, bool korean,
                                     std::initializer_list<Arg> args) {
    return Format(Text(text, korean), args);
}

std::u16string PlaybackTexts::Format(std::u16string_view format, std::initializer_list<Arg> args) {
    std::u16string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        size_t j = i + 1;
        if (format[j] == u'%') {
            out += u'%';
            i = j;
            continue;
        }
        const bool zeros = format[j] == u'0';
        size_t width = 0;
        while (j < format.size() && format[j] >= u'0' && format[j] <= u'9')
            width = width * 10 + static_cast<size_t>(format[j++] - u'0');
        if (j == format.size() || (format[j] != u's' && format[j] != u'd')) {
            out += format[i]; // not a conversion: kept as written
            continue;
        }
        if (next != args.end()) {
            if (const auto* text = std::get_if<std::u16string_view>(&*next))
                out += *text;
            else
                out += Number(std::get<int64_t>(*next), width, zeros);
            ++next;
        }
        i = j;
    }
    return out;
}
