#include "input/KeyFunctions.h"

#include <array>

namespace {

constexpr std::array<std::u16string_view, KeyFunctions::kCount> kEnglish{
    u"Play",
    u"Stop",
    u"Pause",
    u"Play/Stop",
    u"Play/Pause",
    u"Previous Track",
    u"Next Track",
    u"Rewind",
    u"Fast Forward",
    u"Volume Up",
    u"Volume Down",
    u"Repeat Section (A<->B)",
    u"Mute On/Off",
    u"Display On/Off",
    u"Power Off",
    u"Play Speed Up",
    u"Play Speed Down",
    u"Delete File (Playlist)",
    u"Open Files",
    u"Exit Sonvale",
    u"Hold On/Off",
    u"Activate Sonvale",
    u"Show Playlist",
    u"Alarm Time",
    u"Shuffle On/Off",
    u"Undefined",
};

constexpr std::array<std::u16string_view, KeyFunctions::kCount> kKorean{
    u"재생",
    u"정지",
    u"일시정지",
    u"재생/정지",
    u"재생/일시정지",
    u"이전 트랙",
    u"다음 트랙",
    u"뒤로 건너뛰기",
    u"앞으로 건너뛰기",
    u"볼륨 키우기",
    u"불륨 줄이기",
    u"구간반복",
    u"소리 켜기/끄기",
    u"화면 켜기/끄기",
    u"전원 끄기",
    u"재생 속도 증가",
    u"재생 속도 감소",
    u"파일 삭제",
    u"파일 열기",
    u"Sonvale 종료",
    u"Hold 켜기/끄기",
    u"Sonvale 활성화",
    u"재생 목록 표시",
    u"시간 알림",
    u"Shuffle 켜기/끄기",
    u"Undefined",
};

constexpr int32_t kKoreanLanguage = 1042;

} // namespace

std::u16string_view KeyFunctions::EnglishName(int index) {
    return IsValidIndex(index) ? kEnglish[static_cast<size_t>(index)] : std::u16string_view{};
}

std::u16string_view KeyFunctions::KoreanName(int index) {
    return IsValidIndex(index) ? kKorean[static_cast<size_t>(index)] : std::u16string_view{};
}

std::u16string_view KeyFunctions::Name(int index, int32_t uiLanguage) {
    return uiLanguage == kKoreanLanguage ? KoreanName(index) : EnglishName(index);
}

int KeyFunctions::IndexOfName(std::u16string_view name) {
    for (int i = 0; i < kCount; ++i) {
        if (kEnglish[static_cast<size_t>(i)] == name || kKorean[static_cast<size_t>(i)] == name)
            return i;
    }
    return 0;
}
