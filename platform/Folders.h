#pragma once

#include <string>

// Where the program and its data live. Paths are native (UTF-8, "/" separators).
//
// $SONVALE_HOME, when set, holds everything the program keeps between runs (the registry store
// and the data files); otherwise the XDG folders are used.
class Folders {
public:
    // Full path of the running executable.
    static std::string ModulePath();
    // The folder of the executable, without a trailing "/".
    static std::string ProgramFolder();
    // Data files the program writes beside itself on the handheld (playlist.wpl, shuffle.lst):
    // $SONVALE_HOME, else $XDG_DATA_HOME/sonvale (default ~/.local/share/sonvale).
    static std::string DataFolder();
    // Configuration: $SONVALE_HOME, else $XDG_CONFIG_HOME/sonvale (default ~/.config/sonvale).
    static std::string ConfigFolder();
    // The registry store: ConfigFolder()/registry.db.
    static std::string RegistryPath();
    // The user's documents: $XDG_DOCUMENTS_DIR, else the entry in ~/.config/user-dirs.dirs,
    // else ~/Documents.
    static std::string DocumentsFolder();
    // The home folder ($HOME, else the password database).
    static std::string HomeFolder();
    // The folder part of a path (up to the last "/"), "" when there is none.
    static std::string FolderOf(const std::string& path);
    // Creates a folder and its missing parents; true when it exists afterwards.
    static bool Ensure(const std::string& folder);
};
