#include "setup/InstallManifest.h"

#include "support/AtomicFile.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool Inside(const fs::path& relative) {
    if (relative.empty() || relative.is_absolute() || relative == "." || relative == "./")
        return false;
    for (const fs::path& part : relative)
        if (part == "..")
            return false;
    return true;
}

} // namespace

InstallManifest::Snapshot InstallManifest::Take(const std::string& folder) {
    Snapshot snapshot;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statError;
        const fs::file_status status = it->symlink_status(statError);
        std::string relative = it->path().lexically_relative(folder).string();
        if (statError || relative == kFileName)
            continue;
        if (fs::is_directory(status)) {
            snapshot[relative + "/"] = {0, 0};
            continue;
        }
        uintmax_t size = 0;
        long long modified = 0;
        if (fs::is_regular_file(status)) {
            size = it->file_size(statError);
            modified = it->last_write_time(statError).time_since_epoch().count();
        }
        snapshot[relative] = {size, modified};
    }
    return snapshot;
}

bool InstallManifest::Write(const std::string& folder, const Snapshot& before,
                            const Snapshot& after) {
    std::set<std::string> entries;
    Read(folder, entries);
    for (const auto& [path, stamp] : after) {
        const auto old = before.find(path);
        if (old == before.end() || (path.back() != '/' && old->second != stamp))
            entries.insert(path);
    }
    std::string text;
    for (const std::string& entry : entries)
        text += entry + "\n";
    return AtomicFile::Write((fs::path(folder) / kFileName).string(), text);
}

bool InstallManifest::Read(const std::string& folder, std::set<std::string>& entries) {
    const fs::path path = fs::path(folder) / kFileName;
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const fs::path entry = fs::path(line).lexically_normal();
        if (Inside(entry))
            entries.insert(entry.string());
    }
    return true;
}
