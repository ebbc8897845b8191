#include "options/DesktopAssociations.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kGroup = "[Default Applications]";

std::u16string Wide(const std::string& text) {
    std::u16string out; // byte for byte: read back with Narrow
    for (char c : text)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += static_cast<char>(c & 0xFF);
    return out;
}

std::string Folder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && *value == '/')
        return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + fallback;
}

// The program as the Exec key wants it: quoted when it holds anything beyond plain path
// characters, with the characters special inside quotes escaped (and every backslash doubled
// again for the desktop file's own string escapes).
std::string ExecProgram(const std::string& program) {
    bool plain = !program.empty();
    for (char c : program) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/' && c != '.' && c != '_' &&
            c != '-' && c != '+')
            plain = false;
    }
    if (plain)
        return program;
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        quoted += c;
    }
    return quoted + "\"";
}

bool IsGroupLine(const std::string& line) {
    return !line.empty() && line.front() == '[';
}

} // namespace

const std::vector<DesktopAssociations::FileType>& DesktopAssociations::Types() {
    static const std::vector<FileType> types{
        {".mp2", "MP2 Audio File", {"audio/mp2"}, "Sonvale MP2 AudioFile", 256},
        {".mp3", "MP3 Audio File", {"audio/mpeg"}, "Sonvale MP3 AudioFile", 254},
        {".ogg",
         "Ogg Vorbis File",
         {"audio/ogg", "audio/x-vorbis+ogg"},
         "Sonvale OggVorbisFile",
         255},
        {".wma", "WMA Audio File", {"audio/x-ms-wma"}, "Sonvale WMA AudioFile", 257},
        {".asf", "ASF Audio File", {"application/vnd.ms-asf"}, "Sonvale ASF AudioFile", 256},
        {".wav", "Wave File", {"audio/x-wav"}, "Sonvale WaveFile", 261},
        {".wpl", "Play List File", {"application/vnd.ms-wpl"}, "Sonvale Playlist", 260},
    };
    return types;
}

DesktopAssociations::DesktopAssociations(Profile& profile, std::string configHome,
                                         std::string dataHome, std::string program)
    : m_profile(profile), m_configHome(std::move(configHome)), m_dataHome(std::move(dataHome)),
      m_program(std::move(program)) {}

std::string DesktopAssociations::RunningProgram() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).string();
}

DesktopAssociations DesktopAssociations::FromEnvironment(Profile& profile) {
    return DesktopAssociations(profile, Folder("XDG_CONFIG_HOME", "/.config"),
                               Folder("XDG_DATA_HOME", "/.local/share"), RunningProgram());
}

std::string DesktopAssociations::DesktopEntry(const std::string& program) {
    std::string types;
    for (const FileType& type : Types()) {
        for (const std::string& mimeType : type.mimeTypes)
            types += mimeType + ";";
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Sonvale\n"
           "GenericName=Audio Player\n"
           "Exec=" +
           ExecProgram(program) +
           " %F\n"
           "Terminal=false\n"
           "MimeType=" +
           types +
           "\n"
           "Categories=AudioVideo;Audio;Player;\n";
}

std::string DesktopAssociations::DefaultOf(const std::string& list, const std::string& mimeType) {
    std::istringstream in(list);
    bool inGroup = false;
    for (std::string line; std::getline(in, line);) {
        if (IsGroupLine(line))
            inGroup = line.rfind(kGroup, 0) == 0;
        else if (inGroup && line.rfind(mimeType + "=", 0) == 0)
            return line.substr(mimeType.size() + 1);
    }
    return {};
}

std::string DesktopAssociations::WithDefault(const std::string& list, const std::string& mimeType,
                                             const std::string& value) {
    std::istringstream in(list);
    std::string out;
    bool inGroup = false;
    bool sawGroup = false;
    bool done = value.empty();
    for (std::string line; std::getline(in, line);) {
        if (IsGroupLine(line)) {
            if (inGroup && !done) {
                out += mimeType + "=" + value + "\n";
                done = true;
            }
            inGroup = line.rfind(kGroup, 0) == 0;
            sawGroup = sawGroup || inGroup;
        } else if (inGroup && line.rfind(mimeType + "=", 0) == 0) {
            if (!done)
                out += mimeType + "=" + value + "\n";
            done = true;
            continue;
        }
        out += line + "\n";
    }
    if (!done) {
        if (!sawGroup)
            out += std::string(out.empty() || out.ends_with("\n\n") ? "" : "\n") + kGroup + "\n";
        out += mimeType + "=" + value + "\n";
    }
    return out;
}

bool DesktopAssociations::IsAssociated(const FileType& type) const {
    return DefaultOf(ReadList(), type.mimeTypes.front()) == kDesktopFile;
}

bool DesktopAssociations::Associate(const FileType& type) {
    std::error_code ec;
    fs::create_directories(fs::path(DesktopFilePath()).parent_path(), ec);
    {
        std::ofstream entry(DesktopFilePath(), std::ios::binary | std::ios::trunc);
        entry << DesktopEntry(m_program);
        if (!entry.flush())
            return false;
    }
    std::string list = ReadList();
    for (const std::string& mimeType : type.mimeTypes) {
        const std::string current = DefaultOf(list, mimeType);
        if (current == kDesktopFile)
            continue; // ours already: the kept default stays
        m_profile.WriteProfileString(setting::kFileAssociationSection, Wide(mimeType),
                                     Wide(current));
        list = WithDefault(list, mimeType, kDesktopFile);
    }
    return WriteList(list);
}

void DesktopAssociations::Dissociate(const FileType& type) {
    std::string list = ReadList();
    for (const std::string& mimeType : type.mimeTypes) {
        const std::u16string kept =
            m_profile.GetProfileString(setting::kFileAssociationSection, Wide(mimeType));
        if (DefaultOf(list, mimeType) == kDesktopFile)
            list = WithDefault(list, mimeType, Narrow(kept));
        m_profile.Store().DeleteValue(HKEY_CURRENT_USER,
                                      m_profile.SectionKey(setting::kFileAssociationSection),
                                      Wide(mimeType));
    }
    if (list != ReadList())
        WriteList(list);
}

std::string DesktopAssociations::ReadList() const {
    std::ifstream in(MimeAppsPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Through a file beside it, so a reader never sees half a list.
bool DesktopAssociations::WriteList(const std::string& text) const {
    std::error_code ec;
    fs::create_directories(m_configHome, ec);
    const std::string temporary = MimeAppsPath() + ".sonvale";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    fs::rename(temporary, MimeAppsPath(), ec);
    return !ec;
}
