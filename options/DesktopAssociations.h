#pragma once

#include <string>
#include <vector>

class Profile;

// Makes the player the desktop's opener of its seven file types and hands them back. The
// player's entry goes to $XDG_DATA_HOME/applications/sonvale.desktop; the defaults live in the
// [Default Applications] group of $XDG_CONFIG_HOME/mimeapps.list. Whatever was the default of a
// type before is kept in the settings store and becomes the default again on release.
class DesktopAssociations {
public:
    struct FileType {
        const char* extension;
        const char* description;
        std::vector<std::string> mimeTypes; // the first one decides whether the type is ours
        const char* progId;                 // the shell's type name
        int icon;                           // the icon's number in the program
    };

    static constexpr const char* kDesktopFile = "sonvale.desktop";

    // The types in the order they are applied.
    static const std::vector<FileType>& Types();

    DesktopAssociations(Profile& profile, std::string configHome, std::string dataHome,
                        std::string program);
    // The path of the running program.
    static std::string RunningProgram();
    // The XDG folders of the environment (or their defaults) and the running program.
    static DesktopAssociations FromEnvironment(Profile& profile);

    bool IsAssociated(const FileType& type) const;
    // Writes the player's entry and makes it the default of the type's MIME types. False when
    // the entry cannot be written (nothing changes then).
    bool Associate(const FileType& type);
    // Gives back the types whose default is still the player; the kept defaults go in any case.
    void Dissociate(const FileType& type);

    std::string MimeAppsPath() const { return m_configHome + "/mimeapps.list"; }
    std::string DesktopFilePath() const { return m_dataHome + "/applications/" + kDesktopFile; }

    // The text of the player's desktop entry for a program path.
    static std::string DesktopEntry(const std::string& program);
    // The default of `mimeType` in the text of a mimeapps.list (empty when there is none).
    static std::string DefaultOf(const std::string& list, const std::string& mimeType);
    // The text with the default of `mimeType` set to `value` (empty: the line goes).
    static std::string WithDefault(const std::string& list, const std::string& mimeType,
                                   const std::string& value);

private:
    std::string ReadList() const;
    bool WriteList(const std::string& text) const;

    Profile& m_profile;
    std::string m_configHome;
    std::string m_dataHome;
    std::string m_program;
};
