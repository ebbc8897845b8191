#pragma once

#include "app/SettingNames.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playlist/Playlist.h"

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
    _SFileInfo FileEntry(const std::string& name, int favorite = 1) {
        _SFileInfo entry;
        home.Write("music/" + name, "data");
        entry.strPath = home.File16("music/" + name);
        const size_t dot = name.find_last_of('.');
        entry.strName = std::u16string(name.begin(), name.begin() + static_cast<long>(dot));
        entry.strExt = std::u16string(name.begin() + static_cast<long>(dot), name.end());
        entry.strTitle = entry.strName;
        entry.nFavorite = favorite;
        return entry;
    }

    // An entry for a stream address, which is playable without a file.
    static _SFileInfo StreamEntry(const std::u16string& address, int favorite = 1) {
        _SFileInfo entry;
        entry.strName = entry.strPath = entry.strTitle = address;
        entry.strExt = u".url";
        entry.nFavorite = favorite;
        return entry;
    }

    TempFolder home;
    Registry registry{home / "registry.db"};
    Profile profile{registry, setting::kRegistryKeyWord, setting::kProfileName};
    FakePlaylistHost host;
    Playlist list{profile, host};
};
