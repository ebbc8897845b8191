#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// The list of what an installation put into its folder, kept in the folder as
// "sonvale.manifest": one path a line, relative to the folder, folders ending in "/".
//
// The install hooks take a snapshot of the folder before the files are copied and write the
// manifest after: whatever is new or changed is the installation's, together with what an
// earlier manifest already listed. The uninstall removes only what the manifest lists.
class InstallManifest {
public:
    static constexpr const char* kFileName = "sonvale.manifest";

    // Size and modification time of every file, link and folder under `folder`, by relative
    // path (folders with a trailing "/"). Links are listed, never followed.
    using Snapshot = std::map<std::string, std::pair<uintmax_t, long long>>;
    static Snapshot Take(const std::string& folder);

    // Writes the manifest of `folder`: the entries of `after` that are not in `before` or
    // differ from it, merged with the manifest already there. False when it can't be written.
    static bool Write(const std::string& folder, const Snapshot& before, const Snapshot& after);

    // Reads the manifest of `folder`. False when there is none. Entries that are absolute or
    // climb out of the folder ("..") are dropped.
    static bool Read(const std::string& folder, std::set<std::string>& entries);
};
