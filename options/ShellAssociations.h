#pragma once

#include "options/DesktopAssociations.h"

#include <string>

class Profile;
class Registry;

// The player's shell associations in the HKEY_CLASSES_ROOT hive of the registry store: a type
// key per file type (its description, icon and open command) and the extension's default value
// naming it. The extension's previous default is kept beside it under "Sonvale Backup" and
// becomes the default again on release. A step the store refuses ends silently.
class ShellAssociations {
public:
    static constexpr const char16_t* kBackupValue = u"Sonvale Backup";

    ShellAssociations(Registry& store, const std::string& program);
    // The profile's store and the running program.
    static ShellAssociations FromProfile(Profile& profile);

    bool IsAssociated(const DesktopAssociations::FileType& type) const;
    void Associate(const DesktopAssociations::FileType& type);
    // Only an extension whose default is still ours gets its previous default back; the kept
    // value goes in any case. The type key stays.
    void Dissociate(const DesktopAssociations::FileType& type);

    // The values written for a type: "<program>,-<icon>" and "\"<program>\" \"%1\"".
    std::u16string IconValue(const DesktopAssociations::FileType& type) const;
    std::u16string CommandValue() const;

private:
    std::u16string DefaultOf(const std::u16string& key, const char16_t* name = u"") const;

    Registry& m_store;
    std::u16string m_program;
};
