#include "playlist/InstallDemo.h"

#include <system_error>

namespace {

namespace fs = std::filesystem;

// Copies `name` unless the target has it; true when the target has it afterwards.
bool CopyIfMissing(const fs::path& source, const fs::path& target, const char* name) {
    std::error_code ec;
    const fs::path to = target / name;
    if (fs::exists(to, ec))
        return true;
    const fs::path from = source / name;
    if (!fs::is_regular_file(from, ec))
        return false;
    const fs::path partial = target / (std::string(name) + ".part");
    if (!fs::copy_file(from, partial, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(partial, ec);
        return false;
    }
    fs::rename(partial, to, ec);
    if (ec) {
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

} // namespace

fs::path InstallDemo(const fs::path& dataFolder, const fs::path& sourceFolder) {
    std::error_code ec;
    fs::create_directories(dataFolder, ec);
    if (!fs::is_directory(dataFolder, ec))
        return {};
    CopyIfMissing(sourceFolder, dataFolder, kDemoLyricsName);
    if (!CopyIfMissing(sourceFolder, dataFolder, kDemoTrackName))
        return {};
    return dataFolder / kDemoTrackName;
}
