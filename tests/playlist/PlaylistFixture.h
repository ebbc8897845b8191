#pragma once

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playlist/Playlist.h"
#include "settings/SettingNames.h"

#include "tests/TempFolder.h"
#include "tests/playlist/FakePlaylistHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// A private data folder and registry ($SONVALE_HOME), a fake view and a playlist over them.
class PlaylistFixture : public ::testing::Test {
protected:
    PlaylistFixture() { ::setenv("SONVALE_HOME", home.Path().c_str(), 1); }
    ~PlaylistFixture() override { ::unsetenv("SONVALE_HOME"); }

    void SetNumber(const NumberSetting& value, int32_t number) {
        profile.WriteProfileInt(setting::kSettings, value.name, number);
    }

    // An entry for a file written into the temporary folder.
    FileInfo FileEntry(const std::string& name, int favorite = 1) {
        FileInfo entry;
        home.Write("music/" + name, "data");
        entry.path = home.File16("music/" + name);
        const size_t dot = name.find_last_of('.');
        entry.name = std::u16string(name.begin(), name.begin() + static_cast<long>(dot));
        entry.ext = std::u16string(name.begin() + static_cast<long>(dot), name.end());
        entry.title = entry.name;
        entry.favorite = favorite;
        return entry;
    }

    // An entry for a stream address, which is playable without a file.
    static FileInfo StreamEntry(const std::u16string& address, int favorite = 1) {
        FileInfo entry;
        entry.name = entry.path = entry.title = address;
        entry.ext = u".url";
        entry.favorite = favorite;
        return entry;
    }

    TempFolder home;
    Registry registry{home / "registry.db"};
    Profile profile{registry, setting::kRegistryKeyWord, setting::kProfileName};
    FakePlaylistHost host;
    Playlist list{profile, host};
};
