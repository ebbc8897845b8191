#include "setup/Uninstaller.h"

#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/RunAppAtEvent.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

void DeleteContents(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        std::error_code statError;
        if (fs::is_directory(fs::symlink_status(entry, statError))) {
            DeleteContents(entry);
            fs::remove(entry, statError);
        } else {
            fs::remove(entry, statError);
        }
    }
}

} // namespace

const std::vector<std::u16string>& Uninstaller::ModuleKeys() {
    static const std::vector<std::u16string> keys = {u"Software\\Quillmarsh\\SonvaleVGA",
                                                     u"Software\\Quillmarsh\\Sonvale"};
    return keys;
}

const std::vector<std::u16string>& Uninstaller::DefaultProgramPaths() {
    static const std::vector<std::u16string> paths = {u"/opt/SonvalePro/SonvaleVGA",
                                                      u"/opt/SonvalePro/Sonvale"};
    return paths;
}

void Uninstaller::CancelLaunches(Registry& registry) {
    for (const std::u16string& key : ModuleKeys()) {
        if (!registry.KeyExists(HKEY_CURRENT_USER, key))
            continue;
        const auto path = registry.QueryValue(HKEY_CURRENT_USER, key, u"MudulePath");
        if (path && path->type == REG_SZ && !path->text.empty())
            RunAppAtEvent::Register(registry, path->text, RunAppAtEvent::kEventNone);
    }
    for (const std::u16string& path : DefaultProgramPaths())
        RunAppAtEvent::Register(registry, path, RunAppAtEvent::kEventNone);
}

bool Uninstaller::IsDeletableFolder(const std::string& folder) {
    if (folder.empty() || folder[0] != '/')
        return false;
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(folder, ec);
    if (ec || resolved == "/" || resolved.lexically_normal() == "/")
        return false;
    const fs::path home = fs::weakly_canonical(Folders::HomeFolder(), ec);
    return ec || resolved != home;
}

void Uninstaller::DeleteTree(const std::string& folder) {
    if (!IsDeletableFolder(folder))
        return;
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(folder, ec)))
        return;
    DeleteContents(folder);
    fs::remove(folder, ec);
}
