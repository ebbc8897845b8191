#pragma once

#include <string>
#include <vector>

class Registry;

// The clean-up work of an uninstall: cancel the launch registrations the player made, and
// remove what the installation put into its folder, leaving whatever else the user keeps there.
class Uninstaller {
public:
    // Registry keys (under HKEY_CURRENT_USER) of the two builds, each with "MudulePath".
    static const std::vector<std::u16string>& ModuleKeys();
    // Where the two builds install by default; their registrations are always cancelled.
    static const std::vector<std::u16string>& DefaultProgramPaths();

    // Cancels every launch registration of the paths stored by the builds, then of the two
    // default program paths. Missing keys or empty values are skipped.
    static void CancelLaunches(Registry& registry);

    // Whether `folder` may have its tree deleted: an absolute path that is neither the root nor
    // the home folder, after resolving "." , ".." and links.
    static bool IsDeletableFolder(const std::string& folder);
    // The files the player installs, by name: what an installation without a manifest (an
    // older one) may lose.
    static const std::vector<std::string>& ProgramFileNames();
    // Removes what the folder's manifest lists, or without one the program files by name,
    // then the folders left empty (the installation folder last). Symbolic links are removed,
    // never followed. Returns what is left, relative to the folder; nothing happens to a
    // folder that isn't deletable.
    static std::vector<std::string> RemoveInstallation(const std::string& folder);
    // Everything under the folder, relative to it and sorted; empty when it is gone.
    static std::vector<std::string> Leftovers(const std::string& folder);
};
