#include "platform/SystemLocale.h"

#include <cstdlib>
#include <string_view>

namespace {

struct Language {
    std::string_view code;
    int id;
};

// Primary languages with their default sub-language.
constexpr Language kLanguages[] = {
    {"ko", 1042}, {"en", 1033}, {"de", 1031}, {"fr", 1036}, {"es", 3082}, {"it", 1040},
    {"ja", 1041}, {"zh", 2052}, {"ru", 1049}, {"pt", 1046}, {"nl", 1043}, {"sv", 1053},
};

} // namespace

int SystemLocale::LanguageId() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        const std::string_view locale(value);
        for (const Language& language : kLanguages)
            if (locale.starts_with(language.code) &&
                (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@'))
                return language.id;
        return kEnglish;
    }
    return kEnglish;
}
