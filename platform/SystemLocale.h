#pragma once

// The system's language as the handheld named it: a Windows language identifier taken from the
// locale (LC_ALL, LC_MESSAGES, LANG, the first that is set). Korean is 1042; English and any
// language without an entry here is 1033.
class SystemLocale {
public:
    static constexpr int kEnglish = 1033;
    static constexpr int kKorean = 1042;

    static int LanguageId();
};
