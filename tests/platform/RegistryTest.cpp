#include "platform/Registry.h"

#include "tests/TempFolder.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RegistryTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder / "registry.db";
    Registry reg{path};
};

TEST_F(RegistryTest, StoresNumbersAndStringsUnderCaseInsensitiveNames) {
    ASSERT_TRUE(reg.IsOpen());
    ASSERT_TRUE(reg.IsWritable());
    EXPECT_TRUE(reg.SetNumber(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA\\Settings",
                              u"Volume", 42));
    EXPECT_TRUE(reg.SetString(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA\\Settings",
                              u"LastPath", u"/home/user/Музыка 음악"));

    const auto volume =
        reg.QueryValue(HKEY_CURRENT_USER, u"SOFTWARE\\quillmarsh\\SonvaleVga\\SETTINGS", u"volume");
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->type, REG_DWORD);
    EXPECT_EQ(volume->number, 42u);
    const auto last = reg.QueryValue(
        HKEY_CURRENT_USER, u"\\Software\\Quillmarsh\\SonvaleVGA\\Settings\\", u"LASTPATH");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->type, REG_SZ);
    EXPECT_EQ(last->text, u"/home/user/Музыка 음악");

    // Overwriting under another spelling keeps one value, of the new type, with its first name.
    EXPECT_TRUE(reg.SetString(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA\\Settings",
                              u"VOLUME", u"loud"));
    const auto values =
        reg.EnumValues(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA\\Settings");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, u"Volume");
    EXPECT_EQ(values[0].second.type, REG_SZ);
    EXPECT_EQ(values[0].second.text, u"loud");
    EXPECT_EQ(values[1].first, u"LastPath");

    // The same names in another hive are other values.
    EXPECT_FALSE(reg.QueryValue(HKEY_LOCAL_MACHINE, u"Software\\Quillmarsh\\SonvaleVGA\\Settings",
                                u"Volume"));
    EXPECT_FALSE(reg.KeyExists(HKEY_CLASSES_ROOT, u"Software"));
}

TEST_F(RegistryTest, KeysAreCreatedWithParentsAndDeletedWithTheirSubtree) {
    EXPECT_TRUE(reg.CreateKey(HKEY_CLASSES_ROOT, u".mp3\\Shell\\Open"));
    EXPECT_TRUE(reg.KeyExists(HKEY_CLASSES_ROOT, u".mp3"));
    EXPECT_TRUE(reg.KeyExists(HKEY_CLASSES_ROOT, u".MP3\\shell"));
    EXPECT_TRUE(reg.KeyExists(HKEY_CLASSES_ROOT, u""));
    EXPECT_TRUE(reg.SetString(HKEY_CLASSES_ROOT, u".mp3\\Shell\\Open\\Command", u"", u"sonvale"));
    EXPECT_TRUE(reg.SetNumber(HKEY_CLASSES_ROOT, u".mp3", u"Sonvale Backup", 1));
    // Siblings whose names start with the deleted key's name survive.
    EXPECT_TRUE(reg.CreateKey(HKEY_CLASSES_ROOT, u".mp3x\\Shell"));
    EXPECT_TRUE(reg.CreateKey(HKEY_CLASSES_ROOT, u".mp2"));

    EXPECT_EQ(reg.EnumKeys(HKEY_CLASSES_ROOT, u""),
              (std::vector<std::u16string>{u".mp3", u".mp3x", u".mp2"}));
    EXPECT_EQ(reg.EnumKeys(HKEY_CLASSES_ROOT, u".mp3\\shell"),
              (std::vector<std::u16string>{u"Open"}));

    EXPECT_TRUE(reg.DeleteKey(HKEY_CLASSES_ROOT, u".MP3"));
    EXPECT_FALSE(reg.KeyExists(HKEY_CLASSES_ROOT, u".mp3"));
    EXPECT_FALSE(reg.KeyExists(HKEY_CLASSES_ROOT, u".mp3\\Shell\\Open\\Command"));
    EXPECT_FALSE(reg.QueryValue(HKEY_CLASSES_ROOT, u".mp3", u"Sonvale Backup"));
    EXPECT_FALSE(reg.QueryValue(HKEY_CLASSES_ROOT, u".mp3\\Shell\\Open\\Command", u""));
    EXPECT_TRUE(reg.KeyExists(HKEY_CLASSES_ROOT, u".mp3x\\Shell"));
    EXPECT_TRUE(reg.KeyExists(HKEY_CLASSES_ROOT, u".mp2"));

    EXPECT_FALSE(reg.DeleteKey(HKEY_CLASSES_ROOT, u".mp3"));
    EXPECT_FALSE(reg.DeleteKey(HKEY_CLASSES_ROOT, u""));
    EXPECT_FALSE(reg.DeleteValue(HKEY_CLASSES_ROOT, u".mp2", u"missing"));
    EXPECT_TRUE(reg.SetNumber(HKEY_CLASSES_ROOT, u".mp2", u"x", 1));
    EXPECT_TRUE(reg.DeleteValue(HKEY_CLASSES_ROOT, u".MP2", u"X"));
    EXPECT_TRUE(reg.EnumValues(HKEY_CLASSES_ROOT, u".mp2").empty());
}

TEST_F(RegistryTest, SecondConnectionAndReopenSeeTheSameStore) {
    Registry other(path);
    EXPECT_TRUE(reg.SetNumber(HKEY_CURRENT_USER, u"A", u"n", 0xFFFFFFFF));
    const auto seen = other.QueryValue(HKEY_CURRENT_USER, u"a", u"N");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->number, 0xFFFFFFFFu);
    other.Close();
    EXPECT_FALSE(other.QueryValue(HKEY_CURRENT_USER, u"a", u"N"));
    EXPECT_FALSE(other.SetNumber(HKEY_CURRENT_USER, u"a", u"N", 1));
    ASSERT_TRUE(other.Open(path));
    EXPECT_EQ(other.QueryValue(HKEY_CURRENT_USER, u"a", u"N")->number, 0xFFFFFFFFu);
}

TEST(RegistryFailure, AStoreThatCannotBeOpenedGivesNothingAndRefusesWrites) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "registry.db");
    testing::internal::CaptureStderr();
    Registry reg(folder / "registry.db");
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_FALSE(reg.QueryValue(HKEY_CURRENT_USER, u"A", u"n"));
    EXPECT_FALSE(reg.SetNumber(HKEY_CURRENT_USER, u"A", u"n", 1));
    EXPECT_FALSE(reg.CreateKey(HKEY_CURRENT_USER, u"A"));
    EXPECT_TRUE(reg.EnumKeys(HKEY_CURRENT_USER, u"").empty());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("registry.db"), std::string::npos) << err;
}

TEST(RegistryFailure, AFileThatIsNotADatabaseIsLeftAlone) {
    TempFolder folder;
    const std::string garbage(4096, 'x');
    const std::string path = folder.Write("registry.db", garbage);
    testing::internal::CaptureStderr();
    {
        Registry reg(path);
        EXPECT_FALSE(reg.QueryValue(HKEY_CURRENT_USER, u"A", u"n"));
        EXPECT_FALSE(reg.SetString(HKEY_CURRENT_USER, u"A", u"n", u"v"));
        EXPECT_FALSE(reg.DeleteKey(HKEY_CURRENT_USER, u"A"));
    }
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(ReadFile(path), garbage);
}

// A writer killed in the middle of a burst leaves a readable store: everything it committed
// before the kill is there, in order, and nothing stored before it is lost.
TEST(RegistryDurability, SurvivesAKilledWriter) {
    TempFolder folder;
    const std::string path = folder / "registry.db";
    {
        Registry reg(path);
        ASSERT_TRUE(reg.SetString(HKEY_CURRENT_USER, u"Keep", u"Value", u"precious"));
    }
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        Registry writer(path);
        for (uint32_t i = 0;; ++i) {
            const std::u16string name = u"N" + std::u16string(1, char16_t(u'0' + i % 10));
            writer.SetNumber(HKEY_CURRENT_USER,
                             u"Burst\\K" + std::u16string(1, char16_t(u'a' + i % 7)), name, i);
            writer.SetNumber(HKEY_CURRENT_USER, u"Burst", u"Last", i);
            if (i == 50)
                (void)!write(ready[1], "x", 1);
        }
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    usleep(100 * 1000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    Registry reg(path);
    ASSERT_TRUE(reg.IsWritable());
    EXPECT_EQ(reg.QueryValue(HKEY_CURRENT_USER, u"keep", u"value")->text, u"precious");
    const auto last = reg.QueryValue(HKEY_CURRENT_USER, u"Burst", u"Last");
    ASSERT_TRUE(last);
    EXPECT_GE(last->number, 50u);
    EXPECT_EQ(reg.EnumKeys(HKEY_CURRENT_USER, u"Burst").size(), 7u);
    EXPECT_TRUE(reg.SetNumber(HKEY_CURRENT_USER, u"Burst", u"Last", 0));
}

// Two processes writing at once both get all their values in.
TEST(RegistryDurability, ConcurrentProcessesDoNotLoseWrites) {
    TempFolder folder;
    const std::string path = folder / "registry.db";
    Registry(path).CreateKey(HKEY_CURRENT_USER, u"Shared");
    constexpr int kWrites = 200;
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            Registry writer(path);
            int failures = 0;
            for (int i = 0; i < kWrites; ++i) {
                const std::u16string name = u"P" + std::u16string(1, char16_t(u'0' + p)) + u"-" +
                                            std::u16string(1, char16_t(0x4E00 + i));
                failures += !writer.SetNumber(HKEY_CURRENT_USER, u"Shared", name, i);
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Registry(path).EnumValues(HKEY_CURRENT_USER, u"Shared").size(), 2u * kWrites);
}

} // namespace
