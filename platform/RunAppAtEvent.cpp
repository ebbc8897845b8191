#include "platform/RunAppAtEvent.h"

#include "platform/Registry.h"

#include <cstdio>

namespace {

// One sub-key per pair, named from the event and a hash of the path, so that two processes
// registering at once can't pick the same name for different programs.
std::u16string EntryName(std::u16string_view application, int32_t event) {
    uint64_t hash = 14695981039346656037ull;
    for (char16_t c : application) {
        hash = (hash ^ (c & 0xFF)) * 1099511628211ull;
        hash = (hash ^ (c >> 8)) * 1099511628211ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "%d-%016llx", event, static_cast<unsigned long long>(hash));
    return std::u16string(name, name + std::char_traits<char>::length(name));
}

std::u16string EntryKey(std::u16string_view name) {
    std::u16string key = RunAppAtEvent::kKey;
    key += u'\\';
    key += name;
    return key;
}

} // namespace

bool RunAppAtEvent::Register(Registry& registry, std::u16string_view application, int32_t event) {
    if (application.empty())
        return false;
    if (event != kEventNone) {
        const std::u16string key = EntryKey(EntryName(application, event));
        return registry.SetString(HKEY_LOCAL_MACHINE, key, u"Application", application) &&
               registry.SetNumber(HKEY_LOCAL_MACHINE, key, u"Event", static_cast<uint32_t>(event));
    }
    bool ok = registry.IsWritable();
    for (const std::u16string& name : registry.EnumKeys(HKEY_LOCAL_MACHINE, kKey)) {
        const std::u16string key = EntryKey(name);
        const auto app = registry.QueryValue(HKEY_LOCAL_MACHINE, key, u"Application");
        if (app && app->type == REG_SZ && app->text == application)
            ok = registry.DeleteKey(HKEY_LOCAL_MACHINE, key) && ok;
    }
    return ok;
}

std::vector<RunAppAtEvent::Registration> RunAppAtEvent::List(Registry& registry) {
    std::vector<Registration> list;
    for (const std::u16string& name : registry.EnumKeys(HKEY_LOCAL_MACHINE, kKey)) {
        const std::u16string key = EntryKey(name);
        const auto app = registry.QueryValue(HKEY_LOCAL_MACHINE, key, u"Application");
        const auto event = registry.QueryValue(HKEY_LOCAL_MACHINE, key, u"Event");
        if (app && app->type == REG_SZ && event && event->type == REG_DWORD)
            list.push_back({app->text, static_cast<int32_t>(event->number)});
    }
    return list;
}

bool CeRunAppAtEvent(std::u16string_view application, int32_t event) {
    return RunAppAtEvent::Register(Registry::Shared(), application, event);
}
