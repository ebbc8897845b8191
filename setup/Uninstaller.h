#pragma once

#include <string>
#include <vector>

class Registry;

// The clean-up work of an uninstall: cancel the launch registrations the player made, and
// remove what is left in its installation folder.
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
    // Deletes the folder's contents depth first, then the folder. Symbolic links are removed,
    // never followed. Failures are ignored. Nothing happens to a folder that isn't deletable.
    static void DeleteTree(const std::string& folder);
};
