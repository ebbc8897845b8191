#include "platform/Profile.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/RunAppAtEvent.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

namespace {

class ProfileTest : public ::testing::Test {
protected:
    TempFolder folder;
    Registry reg{folder / "registry.db"};
    Profile profile{reg, u"Quillmarsh", u"SonvaleVGA"};
};

TEST_F(ProfileTest, SectionsAreSubKeysOfTheApplicationKey) {
    EXPECT_EQ(profile.Key(), u"Software\\Quillmarsh\\SonvaleVGA");
    EXPECT_TRUE(profile.WriteProfileInt(u"Settings", u"Volume", -3));
    EXPECT_TRUE(profile.WriteProfileString(u"Settings\\Key", u"Name", u"x"));
    EXPECT_TRUE(profile.WriteProfileString(u"", u"MudulePath", u"/opt/sonvale/sonvale"));

    EXPECT_EQ(
        reg.QueryValue(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA\\Settings", u"Volume")
            ->number,
        static_cast<uint32_t>(-3));
    EXPECT_TRUE(
        reg.KeyExists(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA\\Settings\\Key"));
    EXPECT_EQ(
        reg.QueryValue(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA", u"MudulePath")->text,
        u"/opt/sonvale/sonvale");
    EXPECT_EQ(profile.GetProfileInt(u"settings", u"VOLUME", 50), -3);
}

TEST_F(ProfileTest, MissingOrMistypedValuesReadAsTheDefault) {
    EXPECT_EQ(profile.GetProfileInt(u"Settings", u"Volume", 50), 50);
    EXPECT_EQ(profile.GetProfileString(u"Settings", u"LastPath", u"\\"), u"\\");
    profile.WriteProfileString(u"Settings", u"Volume", u"80");
    profile.WriteProfileInt(u"Settings", u"LastPath", 7);
    EXPECT_EQ(profile.GetProfileInt(u"Settings", u"Volume", 50), 50);
    EXPECT_EQ(profile.GetProfileString(u"Settings", u"LastPath", u"\\"), u"\\");
}

TEST_F(ProfileTest, LaunchRegistrationsAreKeptPerProgramAndCancelledTogether) {
    EXPECT_TRUE(RunAppAtEvent::Register(reg, u"/opt/a/sonvale", RunAppAtEvent::kEventWakeup));
    EXPECT_TRUE(RunAppAtEvent::Register(reg, u"/opt/a/sonvale", RunAppAtEvent::kEventWakeup));
    EXPECT_TRUE(RunAppAtEvent::Register(reg, u"/opt/a/sonvale", 5));
    EXPECT_TRUE(RunAppAtEvent::Register(reg, u"/opt/A/sonvale", RunAppAtEvent::kEventWakeup));
    EXPECT_FALSE(RunAppAtEvent::Register(reg, u"", RunAppAtEvent::kEventWakeup));
    EXPECT_EQ(RunAppAtEvent::List(reg).size(), 3u);

    EXPECT_TRUE(RunAppAtEvent::Register(reg, u"/opt/a/sonvale", RunAppAtEvent::kEventNone));
    const auto left = RunAppAtEvent::List(reg);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].application, u"/opt/A/sonvale"); // paths are case-sensitive on Linux
    EXPECT_EQ(left[0].event, RunAppAtEvent::kEventWakeup);
}

// Restores an environment variable at scope exit.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        m_old = old ? old : "";
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    std::string m_old;
};

TEST(Folders, SonvaleHomeElseXdgFolders) {
    TempFolder home;
    ScopedEnv h("HOME", home.Path().c_str());
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    ScopedEnv docs("XDG_DOCUMENTS_DIR", nullptr);
    {
        ScopedEnv s("SONVALE_HOME", "/srv/sonvale");
        EXPECT_EQ(Folders::RegistryPath(), "/srv/sonvale/registry.db");
        EXPECT_EQ(Folders::DataFolder(), "/srv/sonvale");
    }
    ScopedEnv s("SONVALE_HOME", nullptr);
    EXPECT_EQ(Folders::RegistryPath(), home.Path() + "/.config/sonvale/registry.db");
    EXPECT_EQ(Folders::DataFolder(), home.Path() + "/.local/share/sonvale");
    EXPECT_EQ(Folders::DocumentsFolder(), home.Path() + "/Documents");
    home.Write(".config/user-dirs.dirs",
               "# made by xdg-user-dirs\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(Folders::DocumentsFolder(), home.Path() + "/Dokumente");
    {
        ScopedEnv d("XDG_DATA_HOME", "relative/ignored");
        EXPECT_EQ(Folders::DataFolder(), home.Path() + "/.local/share/sonvale");
    }
    EXPECT_EQ(Folders::FolderOf("/usr/bin/sonvale"), "/usr/bin");
    EXPECT_EQ(Folders::FolderOf("/sonvale"), "/");
    EXPECT_EQ(Folders::FolderOf("sonvale"), "");
    EXPECT_EQ(Folders::FolderOf(Folders::ModulePath()), Folders::ProgramFolder());
    EXPECT_FALSE(Folders::ModulePath().empty());
}

} // namespace
