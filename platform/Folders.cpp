#include "platform/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// $XDG_... when it is an absolute path, else the home folder joined with the fallback.
std::string XdgFolder(const char* variable, const char* fallback) {
    std::string value = Env(variable);
    if (!value.empty() && value[0] == '/')
        return value;
    return Folders::HomeFolder() + "/" + fallback;
}

// Reads XDG_DOCUMENTS_DIR="$HOME/..." from user-dirs.dirs.
std::string UserDirsDocuments() {
    std::ifstream file(XdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(file, line)) {
        if (!line.starts_with(key))
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME"))
            value = Folders::HomeFolder() + value.substr(5);
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return "";
}

} // namespace

std::string Folders::ModulePath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

std::string Folders::ProgramFolder() {
    return FolderOf(ModulePath());
}

std::string Folders::DataFolder() {
    const std::string home = Env("SONVALE_HOME");
    return home.empty() ? XdgFolder("XDG_DATA_HOME", ".local/share") + "/sonvale" : home;
}

std::string Folders::ConfigFolder() {
    const std::string home = Env("SONVALE_HOME");
    return home.empty() ? XdgFolder("XDG_CONFIG_HOME", ".config") + "/sonvale" : home;
}

std::string Folders::RegistryPath() {
    return ConfigFolder() + "/registry.db";
}

std::string Folders::DocumentsFolder() {
    std::string value = Env("XDG_DOCUMENTS_DIR");
    if (!value.empty() && value[0] == '/')
        return value;
    value = UserDirsDocuments();
    return value.empty() ? HomeFolder() + "/Documents" : value;
}

std::string Folders::HomeFolder() {
    std::string home = Env("HOME");
    if (!home.empty())
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

std::string Folders::FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Folders::Ensure(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}
