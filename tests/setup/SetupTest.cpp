#include "platform/Registry.h"
#include "platform/RunAppAtEvent.h"
#include "platform/TextCodec.h"
#include "setup/SetupHooks.h"
#include "setup/Uninstaller.h"

#include "tests/TempFolder.h"

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// The whole program works on a registry store of its own; the setup library opens the store
// named by $SONVALE_HOME the first time it needs it.
TempFolder& Home() {
    static TempFolder home;
    return home;
}
const bool homeSet = setenv("SONVALE_HOME", Home().Path().c_str(), 1) == 0;

// The built library, loaded as an installer loads it.
class SetupLibrary {
public:
    SetupLibrary() : m_handle(dlopen(SONVALE_SETUP_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {}
    ~SetupLibrary() {
        if (m_handle)
            dlclose(m_handle);
    }
    template <typename T> T Get(const char* name) {
        return m_handle ? reinterpret_cast<T>(dlsym(m_handle, name)) : nullptr;
    }

private:
    void* m_handle;
};

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(homeSet);
        for (const std::u16string& key : Uninstaller::ModuleKeys())
            reg.DeleteKey(HKEY_CURRENT_USER, key);
        reg.DeleteKey(HKEY_LOCAL_MACHINE, RunAppAtEvent::kKey);
        ASSERT_TRUE(uninstallInit && uninstallExit && installInit && installExit);
    }

    // Installs into a folder with nested sub-folders and files, calling the install hooks
    // around the copy as an installer does; `copy` adds to what is copied.
    std::string MakeInstallation(const std::function<void(const std::string&)>& copy = {}) {
        const std::string dir = work / "SonvalePro";
        const std::u16string wide = TextCodec::Utf8ToUtf16(dir);
        EXPECT_EQ(installInit(nullptr, 1, 0, wide.c_str()), 0);
        work.Write("SonvalePro/sonvale", "binary");
        work.Write("SonvalePro/skins/dark/skin.wps", "[Main]");
        work.Write("SonvalePro/skins/dark/images/play.png", "png");
        work.Write("SonvalePro/skins/empty/.keep", "");
        fs::create_directories(dir + "/plugins/none");
        if (copy)
            copy(dir);
        EXPECT_EQ(installExit(nullptr, wide.c_str(), 0, 0, 0, 0, 0), 0);
        return dir;
    }

    std::vector<std::u16string> RegisteredPaths() {
        std::vector<std::u16string> paths;
        for (const auto& r : RunAppAtEvent::List(reg))
            paths.push_back(r.application);
        return paths;
    }

    int Uninstall(const std::string& dir) {
        const std::u16string wide = TextCodec::Utf8ToUtf16(dir);
        const int init = uninstallInit(nullptr, wide.c_str());
        return init == 0 ? uninstallExit(nullptr) : init;
    }

    TempFolder work;
    Registry reg{Home() / "registry.db"};
    SetupLibrary library;
    Install_Init_t installInit = library.Get<Install_Init_t>("Install_Init");
    Install_Exit_t installExit = library.Get<Install_Exit_t>("Install_Exit");
    Uninstall_Init_t uninstallInit = library.Get<Uninstall_Init_t>("Uninstall_Init");
    Uninstall_Exit_t uninstallExit = library.Get<Uninstall_Exit_t>("Uninstall_Exit");
};

TEST_F(SetupTest, InstallRecordsWhatTheCopyAddedAndTouchesNothing) {
    work.Write("SonvalePro/notes.txt", "the user's");
    work.Write("SonvalePro/sonvale", "an older build");
    RunAppAtEvent::Register(reg, u"/opt/SonvalePro/Sonvale", RunAppAtEvent::kEventWakeup);
    const std::string dir = MakeInstallation();
    EXPECT_TRUE(fs::exists(dir + "/skins/dark/skin.wps"));
    EXPECT_EQ(RegisteredPaths().size(), 1u);
    EXPECT_EQ(work.Read("SonvalePro/sonvale.manifest"),
              "plugins/\nplugins/none/\nskins/\nskins/dark/\nskins/dark/images/\n"
              "skins/dark/images/play.png\nskins/dark/skin.wps\nskins/empty/\n"
              "skins/empty/.keep\nsonvale\n");
}

// The uninstall takes what the installation put there and leaves what the user did: files
// that were there before, files added since, and the folders that hold them.
TEST_F(SetupTest, UninstallLeavesTheUsersFiles) {
    work.Write("SonvalePro/notes.txt", "before");
    const std::string dir = MakeInstallation();
    work.Write("SonvalePro/skins/dark/mine.png", "after");
    work.Write("SonvalePro/presets/rock.gpe", "after");

    EXPECT_EQ(Uninstall(dir), 0);
    EXPECT_EQ(Uninstaller::Leftovers(dir),
              (std::vector<std::string>{"notes.txt", "presets", "presets/rock.gpe", "skins",
                                        "skins/dark", "skins/dark/mine.png"}));
}

// An older installation has no manifest: only the player's own files go, by name.
TEST_F(SetupTest, WithoutAManifestOnlyTheProgramFilesGo) {
    work.Write("Old/sonvale", "binary");
    work.Write("Old/lib/libfmodce.so", "library");
    work.Write("Old/skins/dark/skin.wps", "[Main]");
    EXPECT_EQ(Uninstall(work / "Old"), 0);
    EXPECT_EQ(Uninstaller::Leftovers(work / "Old"),
              (std::vector<std::string>{"skins", "skins/dark", "skins/dark/skin.wps"}));
}

// A manifest that names paths outside the folder, or through a link, removes nothing there.
TEST_F(SetupTest, AManifestCannotReachOutsideTheFolder) {
    const std::string outside = work.Write("outside/keep.txt", "mine");
    const std::string dir = MakeInstallation([&](const std::string& dir) {
        fs::create_directory_symlink(work / "outside", dir + "/out");
    });
    work.Write("SonvalePro/sonvale.manifest", "../outside/keep.txt\n" + outside +
                                                  "\nout/keep.txt\nskins/../../outside/keep.txt\n"
                                                  "sonvale\n");
    EXPECT_EQ(Uninstall(dir), 0);
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_FALSE(fs::exists(dir + "/sonvale"));
}

// Installed on a storage card, the player never stored "MudulePath": only the two default
// program paths are cancelled, and the folder still goes.
TEST_F(SetupTest, WithoutStoredPathsOnlyTheDefaultsAreCancelled) {
    const std::string dir = MakeInstallation();
    const std::u16string card = TextCodec::Utf8ToUtf16(dir + "/sonvale");
    RunAppAtEvent::Register(reg, u"/opt/SonvalePro/SonvaleVGA", RunAppAtEvent::kEventWakeup);
    RunAppAtEvent::Register(reg, u"/opt/SonvalePro/Sonvale", RunAppAtEvent::kEventWakeup);
    RunAppAtEvent::Register(reg, u"/opt/SonvalePro/Sonvale", 3);
    RunAppAtEvent::Register(reg, card, RunAppAtEvent::kEventWakeup);
    reg.SetString(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\Sonvale", u"MudulePath", u"");

    EXPECT_EQ(Uninstall(dir), 0);
    EXPECT_EQ(RegisteredPaths(), std::vector<std::u16string>{card});
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(fs::exists(work.Path()));
}

TEST_F(SetupTest, BothBuildsRegisteredAreBothCancelled) {
    const std::string dir = MakeInstallation();
    reg.SetString(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA", u"MudulePath",
                  u"/usr/local/bin/sonvale");
    reg.SetString(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\Sonvale", u"MudulePath",
                  u"/home/u/bin/sonvale");
    RunAppAtEvent::Register(reg, u"/usr/local/bin/sonvale", RunAppAtEvent::kEventWakeup);
    RunAppAtEvent::Register(reg, u"/home/u/bin/sonvale", RunAppAtEvent::kEventWakeup);
    RunAppAtEvent::Register(reg, u"/usr/bin/other", RunAppAtEvent::kEventWakeup);

    EXPECT_EQ(Uninstall(dir), 0);
    EXPECT_EQ(RegisteredPaths(), std::vector<std::u16string>{u"/usr/bin/other"});
}

TEST_F(SetupTest, TheTreeGoesButNothingBehindALink) {
    const std::string outside = work.Write("outside/keep.txt", "mine");
    const std::string dir = MakeInstallation([&](const std::string& dir) {
        fs::create_directory_symlink(work / "outside", dir + "/skins/linked");
        fs::create_symlink(outside, dir + "/keep-link");
    });

    EXPECT_EQ(Uninstall(dir), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir)));
    EXPECT_TRUE(fs::exists(outside));
}

TEST_F(SetupTest, NoFolderRelativeFolderOrRootDeletesNothing) {
    const std::string dir = MakeInstallation();
    const fs::path cwd = fs::current_path();
    fs::current_path(work.Path());
    EXPECT_EQ(Uninstall(""), 0);
    EXPECT_EQ(Uninstall("SonvalePro"), 0);
    EXPECT_EQ(Uninstall("./SonvalePro/.."), 0);
    const std::u16string none;
    EXPECT_EQ(uninstallInit(nullptr, nullptr), 0);
    EXPECT_EQ(uninstallExit(nullptr), 0);
    fs::current_path(cwd);
    EXPECT_TRUE(fs::exists(dir + "/skins/dark/images/play.png"));

    EXPECT_FALSE(Uninstaller::IsDeletableFolder("/"));
    EXPECT_FALSE(Uninstaller::IsDeletableFolder("//"));
    EXPECT_FALSE(Uninstaller::IsDeletableFolder("/tmp/.."));
    EXPECT_FALSE(Uninstaller::IsDeletableFolder("/./"));
    EXPECT_FALSE(Uninstaller::IsDeletableFolder(""));
    EXPECT_FALSE(Uninstaller::IsDeletableFolder("relative/dir"));
    EXPECT_TRUE(Uninstaller::IsDeletableFolder(dir));
    // A link to the root names the root.
    fs::create_directory_symlink("/", work / "root-link");
    EXPECT_FALSE(Uninstaller::IsDeletableFolder(work / "root-link"));
}

TEST_F(SetupTest, DriverCallsTheHooksInTheInstallersOrder) {
    const std::string dir = MakeInstallation();
    reg.SetString(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA", u"MudulePath",
                  u"/usr/local/bin/sonvale");
    RunAppAtEvent::Register(reg, u"/usr/local/bin/sonvale", RunAppAtEvent::kEventWakeup);

    const std::string out = work / "out.txt";
    const std::string command = "SONVALE_HOME='" + Home().Path() +
                                "' '" SONVALE_SETUP_DRIVER "' %s '" + dir + "' > '" + out +
                                "' 2>&1";
    char line[4096];
    std::snprintf(line, sizeof line, command.c_str(), "install");
    ASSERT_EQ(std::system(line), 0);
    EXPECT_TRUE(fs::exists(dir + "/libsonvale-setup.so")); // copied from beside the driver
    std::snprintf(line, sizeof line, command.c_str(), "uninstall");
    ASSERT_EQ(std::system(line), 0);
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(RegisteredPaths().empty());

    // What the installation did not put there stays, and the driver says so.
    MakeInstallation();
    work.Write("SonvalePro/notes.txt", "mine");
    std::snprintf(line, sizeof line, command.c_str(), "uninstall");
    ASSERT_EQ(std::system(line), 0);
    EXPECT_EQ(Uninstaller::Leftovers(dir), std::vector<std::string>{"notes.txt"});
    EXPECT_NE(work.Read("out.txt").find("notes.txt"), std::string::npos);

    std::snprintf(line, sizeof line, command.c_str(), "remove");
    EXPECT_NE(std::system(line), 0);
}

} // namespace
