#include "playback/DecoderMessages.h"

#include "platform/SystemLocale.h"

namespace {

struct Twin {
    const char16_t* english;
    const char16_t* korean;
};

// In the order of DecoderMessage.
const Twin kReasons[] = {
    {u"Decorder dll file load faild", u"디코더 DLL 파일 로드 실패"},
    {u"Decoder initialize faild", u"디코더 초기화 실패"},
    {u"Decoder buffer failed", u"디코더 버퍼 설정 실패"},
    {u"Decoder initialize retry failed", u"디코더 초기화 재시도 실패"},
    {u"Decoder library initialize faild", u"디코더 라이브러리 초기화 실패"},
    {u"VU-Meter DSP unit initialize failed", u"VU 미터 DSP 유닛 초기화 실패"},
    {u"Spectrum DSP unit initialize failed", u"스펙트럼 DSP 유닛 초기화 실패"},
    {u"DSP unit initialize failed", u"DSP 유닛 초기화 실패"},
};

const Twin kFailure = {u"Decorder initialize failed. (%s)", u"디코더 초기화 실패. (%s)"};
const Twin kTitle = {u"Decoder Error", u"디코더 에러"};

const char16_t* Pick(const Twin& twin, int language) {
    return language == SystemLocale::kKorean ? twin.korean : twin.english;
}

} // namespace

std::u16string DecoderMessages::Text(DecoderMessage message, int language) {
    return Pick(kReasons[static_cast<int>(message)], language);
}

std::u16string DecoderMessages::FailureText(std::u16string_view reason, int language) {
    std::u16string text = Pick(kFailure, language);
    const size_t at = text.find(u"%s");
    if (at != std::u16string::npos)
        text.replace(at, 2, reason);
    return text;
}

std::u16string DecoderMessages::Title(int language) {
    return Pick(kTitle, language);
}
