#include "setup/Uninstaller.h"

#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/RunAppAtEvent.h"
#include "setup/InstallManifest.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// True when no folder between `root` and `relative` is a link: removing through a link would
// reach outside the installation.
bool NoLinkOnTheWay(const fs::path& root, const fs::path& relative) {
    fs::path at = root;
    for (const fs::path& part : relative.parent_path()) {
        at /= part;
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(at, ec)) || ec)
            return false;
    }
    return true;
}

// Removes a file or link, or a folder when it is empty.
void RemoveOne(const fs::path& root, const std::string& relative) {
    const fs::path entry = fs::path(relative).lexically_normal();
    if (!NoLinkOnTheWay(root, entry))
        return;
    std::error_code ec;
    const fs::path path = root / entry;
    if (fs::is_directory(fs::symlink_status(path, ec)))
        ::rmdir(path.c_str());
    else
        fs::remove(path, ec);
}

// Every folder that holds one of `entries`, below the root, deepest first.
std::vector<std::string> FoldersOf(const std::set<std::string>& entries) {
    std::set<std::string> folders;
    for (const std::string& entry : entries)
        for (fs::path up = fs::path(entry).lexically_normal().parent_path(); !up.empty();
             up = up.parent_path())
            folders.insert(up.string());
    std::vector<std::string> ordered(folders.begin(), folders.end());
    std::sort(ordered.begin(), ordered.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '/') > std::count(b.begin(), b.end(), '/');
    });
    return ordered;
}

// The player's own files anywhere under the folder, by name; links are not followed.
std::set<std::string> ProgramFilesIn(const fs::path& root) {
    const std::vector<std::string>& names = Uninstaller::ProgramFileNames();
    std::set<std::string> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statError;
        if (fs::is_directory(it->symlink_status(statError)))
            continue;
        if (std::find(names.begin(), names.end(), it->path().filename()) != names.end())
            found.insert(it->path().lexically_relative(root).string());
    }
    return found;
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

const std::vector<std::string>& Uninstaller::ProgramFileNames() {
    static const std::vector<std::string> names = {"sonvale",
                                                   "sonvale-cli",
                                                   "mantlery",
                                                   "sonvale-setup",
                                                   "libsonvale-setup.so",
                                                   "libfmodce.so",
                                                   InstallManifest::kFileName};
    return names;
}

std::vector<std::string> Uninstaller::RemoveInstallation(const std::string& folder) {
    std::error_code ec;
    if (!IsDeletableFolder(folder) || !fs::is_directory(fs::symlink_status(folder, ec)))
        return {};
    const fs::path root(folder);
    std::set<std::string> entries;
    if (!InstallManifest::Read(folder, entries))
        entries = ProgramFilesIn(root);
    // Files and links first, then the folders from the deepest up, then the manifest itself.
    for (const std::string& entry : entries)
        if (entry.back() != '/')
            RemoveOne(root, entry);
    for (const std::string& entry : FoldersOf(entries))
        RemoveOne(root, entry);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->back() == '/')
            RemoveOne(root, *it);
    fs::remove(root / InstallManifest::kFileName, ec);
    ::rmdir(root.c_str());
    return Leftovers(folder);
}

std::vector<std::string> Uninstaller::Leftovers(const std::string& folder) {
    std::vector<std::string> left;
    std::error_code ec;
    const fs::path root(folder);
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        left.push_back(it->path().lexically_relative(root).string());
    std::sort(left.begin(), left.end());
    return left;
}
