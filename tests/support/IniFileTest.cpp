#include "support/IniFile.h"

#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"

#include <climits>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Order = std::vector<std::u16string>;
const std::string kMark = "\xFF\xFE";

class IniFileTest : public ::testing::Test {
protected:
    bool Load(const std::string& bytes) {
        folder.Write("doc.ini", bytes);
        return ini.Load(folder.File16("doc.ini"));
    }
    std::u16string Value(std::u16string_view section, std::u16string_view key) {
        std::u16string value = u"<missing>";
        ini.GetValue(section, key, value);
        return value;
    }
    Order Keys(std::u16string_view section) { return ini.GetSection(section)->GetKeyOrder(); }

    TempFolder folder;
    IniFile ini;
};

TEST_F(IniFileTest, NamesAreCaseSensitiveAndKeptAsTheyStand) {
    ASSERT_TRUE(Load("[Main]\r\nPlayButton=play.png\r\n[ Skin ]\r\nkey = value \r\nx=\t v\r\n"));
    EXPECT_EQ(Value(u"Main", u"PlayButton"), u"play.png");
    EXPECT_EQ(Value(u"main", u"PlayButton"), u"<missing>");
    EXPECT_EQ(Value(u"Main", u"playbutton"), u"<missing>");
    EXPECT_EQ(Value(u" Skin ", u"key "), u"value ");
    EXPECT_EQ(Value(u" Skin ", u"x"), u"v");
    int number = 7;
    EXPECT_FALSE(ini.GetInt(u"Main", u"Volume", number));
    EXPECT_EQ(number, 7);
}

TEST_F(IniFileTest, GrammarEdges) {
    // Only a value is complete without its line break.
    ASSERT_TRUE(Load("[A]\r\nempty=\r\nlast="));
    EXPECT_EQ(Value(u"A", u"empty"), u"");
    EXPECT_EQ(Value(u"A", u"last"), u"<missing>");
    ASSERT_TRUE(Load("[A]\r\nk=v\r\nnoequals\r\n[B"));
    EXPECT_EQ(ini.GetSectionOrder(), Order{u"A"});
    EXPECT_EQ(Keys(u"A"), Order{u"k"});
    ASSERT_TRUE(Load("[A]\r\nk=v"));
    EXPECT_EQ(Value(u"A", u"k"), u"v");

    // No comments: a key starts at the first letter or digit and runs to the next "=".
    ASSERT_TRUE(Load("top=1\r\n[S]\r\n; note\r\nk=v\r\n#x\r\n_y=2\r\n"));
    EXPECT_EQ(ini.GetSectionOrder(), Order{u"S"});
    EXPECT_EQ(Keys(u"S"), (Order{u"note\r\nk", u"x\r\n_y"}));

    // The whole text is parsed, NUL characters included.
    ASSERT_TRUE(Load(kMark + Utf16Le(std::u16string(u"[A]\r\nk=a\0b\r\nn=1", 15))));
    EXPECT_EQ(Value(u"A", u"k"), std::u16string(u"a\0b", 3));
    EXPECT_EQ(Value(u"A", u"n"), u"1");
}

TEST_F(IniFileTest, RepeatedSectionsAndKeysMergeButTheFileKeepsEveryLine) {
    const std::string text = "[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n[A]\r\na=4\r\nd=5\r\n";
    ASSERT_TRUE(Load(text));
    EXPECT_EQ(ini.GetSectionOrder(), (Order{u"A", u"B"}));
    EXPECT_EQ(Keys(u"A"), (Order{u"a", u"b", u"d"}));
    EXPECT_EQ(Value(u"A", u"a"), u"4");
    ASSERT_TRUE(ini.Save(folder.File16("saved.ini")));
    EXPECT_EQ(folder.Read("saved.ini"), text);

    // The line that counts is the one that changes; a new key follows the section's last entry.
    ini.SetValue(u"A", u"a", u"7");
    ini.SetValue(u"A", u"e", u"6");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("saved.ini"),
              "[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n[A]\r\na=7\r\nd=5\r\ne=6\r\n");
    // A deleted key loses every line that set it.
    ini.Delete(u"A", u"a");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("saved.ini"), "[A]\r\nb=2\r\n[B]\r\nc=3\r\n[A]\r\nd=5\r\ne=6\r\n");
    IniFile again;
    ASSERT_TRUE(again.Load(folder.File16("saved.ini")));
    std::u16string value;
    EXPECT_FALSE(again.GetValue(u"A", u"a", value));
    EXPECT_TRUE(again.GetValue(u"A", u"e", value));
    EXPECT_EQ(value, u"6");
}

TEST_F(IniFileTest, CommentsBlankLinesAndUnknownTextStayWhereTheyStood) {
    // (The comment line's words join the next key, as the reader has it; the file keeps them.)
    const std::string text = "# made by hand\n\n[Main]\nPlayButton = play.png\n  ;---\n"
                             "Stop=stop.png\n; the end\nx=1\n\n[Colors]\nText=1,2,3\n";
    ASSERT_TRUE(Load(text));
    EXPECT_EQ(Keys(u"Main"), (Order{u"PlayButton ", u"Stop", u"the end\nx"}));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("doc.ini"), text);

    ini.SetValue(u"Main", u"Stop", u"halt.png");
    ini.SetValue(u"Main", u"Pause", u"pause.png");
    ini.Delete(u"Colors", u"Text");
    ini.SetValue(u"New", u"k", u"v");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("doc.ini"), "# made by hand\n\n[Main]\nPlayButton = play.png\n  ;---\n"
                                      "Stop=halt.png\n; the end\nx=1\nPause=pause.png\n\n"
                                      "[Colors]\n\n[New]\nk=v\n");
    ini.Delete(u"Main");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("doc.ini"), "# made by hand\n\n[Colors]\n\n[New]\nk=v\n");
}

TEST_F(IniFileTest, SavingKeepsTheEncodingTheFileWasReadIn) {
    // UTF-16 with its mark and CR line ends.
    ASSERT_TRUE(Load(kMark + Utf16Le(u"[S]\rName=한국\r")));
    ini.SetValue(u"S", u"Size", u"2");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("doc.ini"), kMark + Utf16Le(u"[S]\rName=한국\rSize=2\r"));

    // 8-bit text that isn't UTF-8 is read, and written, in the locale's code page.
    const char* lcAll = std::getenv("LC_ALL");
    const std::string savedLcAll = lcAll ? lcAll : "";
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    ASSERT_TRUE(Load("[S]\r\nName=caf\xE9\r\n"));
    EXPECT_EQ(Value(u"S", u"Name"), u"café");
    ini.SetValue(u"S", u"Town", u"Orléans");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("doc.ini"), "[S]\r\nName=caf\xE9\r\nTown=Orl\xE9\x61ns\r\n");
    // A text the code page can't carry is written as UTF-16 rather than lost.
    ini.SetValue(u"S", u"Town", u"서울");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("doc.ini"), kMark + Utf16Le(u"[S]\r\nName=café\r\nTown=서울\r\n"));
    if (lcAll)
        ::setenv("LC_ALL", savedLcAll.c_str(), 1);
    else
        ::unsetenv("LC_ALL");

    // UTF-8 stays UTF-8, its mark included.
    ASSERT_TRUE(Load("\xEF\xBB\xBF[S]\nName=\xED\x95\x9C\n"));
    ini.SetValue(u"S", u"Name", u"국");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("doc.ini"), "\xEF\xBB\xBF[S]\nName=\xEA\xB5\xAD\n");
}

TEST_F(IniFileTest, Utf16AndEightBitFilesLoadAlike) {
    ASSERT_TRUE(Load("[S]\r\nName=\xED\x95\x9C\xEA\xB5\xAD \xEC\x8A\xA4\xED\x82\xA8\r\n"));
    EXPECT_EQ(Value(u"S", u"Name"), u"한국 스킨");
    // An odd last byte of a UTF-16 file is dropped.
    ASSERT_TRUE(Load(kMark + Utf16Le(u"[S]\r\nName=한국 스킨\r\n") + "x"));
    EXPECT_EQ(Value(u"S", u"Name"), u"한국 스킨");
    EXPECT_EQ(Keys(u"S"), Order{u"Name"});
}

TEST_F(IniFileTest, EmptyMissingAndMarkOnlyFiles) {
    ASSERT_TRUE(Load("[A]\r\nk=v\r\n"));
    EXPECT_FALSE(Load(""));
    EXPECT_TRUE(ini.GetSectionOrder().empty());
    EXPECT_EQ(ini.GetFlags(), 0u);
    EXPECT_TRUE(Load(kMark));
    EXPECT_TRUE(ini.GetSectionOrder().empty());
    EXPECT_FALSE(ini.IsModified());
    EXPECT_FALSE(ini.Load(std::filesystem::path(folder.Path()).u16string()));
    EXPECT_FALSE(ini.Load(folder.File16("missing.ini")));
    // A document whose load failed can still be filled and saved.
    ini.SetValue(u"A", u"k", u"v");
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(folder.Read("missing.ini"), kMark + Utf16Le(u"\r\n[A]\r\nk=v\r\n"));

    // A FIFO named as a skin or a station list is refused at once, not waited on.
    UnwrittenFifo fifo(folder.File("fifo.pls"));
    ASSERT_TRUE(fifo.Made());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ini.Load(folder.File16("fifo.pls")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, fifo.Patience());
}

TEST_F(IniFileTest, ModifiedFlagAndDelete) {
    ASSERT_TRUE(Load("[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n"));
    EXPECT_TRUE(ini.IsModified());
    ASSERT_TRUE(ini.Save());
    EXPECT_FALSE(ini.IsModified());
    EXPECT_FALSE(ini.AddSection(u"A"));
    EXPECT_FALSE(ini.Delete(u"C"));
    EXPECT_FALSE(ini.Delete(u"C", u"a"));
    EXPECT_FALSE(ini.IsModified());

    EXPECT_TRUE(ini.AddSection(u"C"));
    EXPECT_EQ(ini.SetModified(false), IniFile::kModified);
    EXPECT_TRUE(ini.Delete(u"A", u"a"));
    EXPECT_FALSE(ini.Delete(u"A", u"a"));
    EXPECT_TRUE(ini.Delete(u"B"));
    EXPECT_EQ(ini.GetSection(u"B"), nullptr);
    EXPECT_EQ(ini.SetModified(false), IniFile::kModified);
    // Names that come back are appended again.
    ini.SetValue(u"B", u"c", u"4");
    ini.SetValue(u"A", u"a", u"5");
    ASSERT_TRUE(ini.Save());
    // The 8-bit file stays 8-bit; new sections follow an empty line.
    EXPECT_EQ(folder.Read("doc.ini"), "[A]\r\nb=2\r\na=5\r\n\r\n[C]\r\n\r\n[B]\r\nc=4\r\n");
}

TEST_F(IniFileTest, IntegersAndColors) {
    const std::pair<std::u16string, int> ints[] = {{u"\t-17xyz", -17},
                                                   {u"+8", 8},
                                                   {u"abc", 0},
                                                   {u"99999999999", INT_MAX},
                                                   {u"-99999999999", INT_MIN}};
    for (const auto& [text, expected] : ints) {
        ini.SetValue(u"S", u"k", text);
        int value = 1;
        EXPECT_TRUE(ini.GetInt(u"S", u"k", value));
        EXPECT_EQ(value, expected);
    }
    const std::pair<std::u16string, std::uint32_t> colors[] = {
        {u"255,128,0", 0x0080FF},
        {u"300,0,0", 44},
        {u" 1 , 2 , 3 ", 0x030201},
        {u"", 0},
        {u"-5,x9,", 0x0905},
        {u"1,2,3,4", 0x030201},
        {u"99999999999999999999,0,1", 0x0100FF}};
    for (const auto& [text, expected] : colors) {
        ini.SetValue(u"S", u"k", text);
        std::uint32_t color = 0xFFFFFFFF;
        EXPECT_TRUE(ini.GetColor(u"S", u"k", color));
        EXPECT_EQ(color, expected);
    }
    ini.SetInt(u"S", u"a", -2147483647 - 1);
    ini.SetColor(u"S", u"b", 0xFFC08040);
    EXPECT_EQ(Value(u"S", u"a"), u"-2147483648");
    EXPECT_EQ(Value(u"S", u"b"), u"64,128,192");
}

TEST_F(IniFileTest, FailedSavesKeepTheOldFile) {
    EXPECT_FALSE(ini.Save());
    ini.SetValue(u"A", u"k", u"v");
    EXPECT_FALSE(ini.Save(folder.File16("no/such/folder.ini")));
    std::filesystem::create_directory(folder.File("dir.ini"));
    EXPECT_FALSE(ini.Save(folder.File16("dir.ini")));
    EXPECT_TRUE(ini.IsModified());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// A save that runs out of room half-way (here: a file size limit) leaves the old file whole.
TEST_F(IniFileTest, ASaveThatFailsHalfWayKeepsTheOldContent) {
    folder.Write("skin.wps", "[Main]\r\nPlayButton=play.png\r\n");
    for (int i = 0; i < 100; ++i)
        ini.SetValue(u"Main",
                     u"Key" + std::u16string(1, char16_t(u'A' + i % 26)) +
                         std::u16string(1, char16_t(u'a' + i / 26)),
                     u"a long enough value to pass the limit");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool savedOk = ini.Save(folder.File16("skin.wps"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(savedOk);
    EXPECT_TRUE(ini.IsModified());
    EXPECT_EQ(folder.Read("skin.wps"), "[Main]\r\nPlayButton=play.png\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST_F(IniFileTest, SaveReplacesTheFileBehindALinkAndKeepsItsMode) {
    folder.Write("real.ini", "old");
    ASSERT_EQ(::chmod(folder.File("real.ini").c_str(), 0640), 0);
    std::filesystem::create_symlink("real.ini", folder.File("link.ini"));
    ini.SetValue(u"A", u"k", u"v");
    ASSERT_TRUE(ini.Save(folder.File16("link.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(folder.Read("real.ini"), kMark + Utf16Le(u"\r\n[A]\r\nk=v\r\n"));
    struct stat info;
    ASSERT_EQ(::stat(folder.File("real.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Random documents within what the file format can carry: keys start with an ASCII letter or
// digit and hold no "=", values hold no line break and don't start with a blank, section names
// hold no "]". Anything else goes, line breaks in names, NUL and lone surrogates included.
TEST_F(IniFileTest, GeneratedDocumentsSurviveSaveAndLoad) {
    std::mt19937 random(20240611);
    const std::u16string pool =
        u"aZ09 \t\r\n[]=;#_,.-\u00E9\uAC00\uFEFF\uFFFD" + std::u16string{u'\0', 0xD800, 0xDFFF};
    auto pick = [&](std::u16string_view from) { return from[random() % from.size()]; };
    auto text = [&](size_t maxLength, std::u16string_view banned) {
        std::u16string s(random() % (maxLength + 1), u'a');
        for (char16_t& c : s) {
            do {
                c = pick(pool);
            } while (banned.find(c) != std::u16string_view::npos);
        }
        return s;
    };

    for (int round = 0; round < 200; ++round) {
        IniFile original;
        for (int s = random() % 7; s > 0; --s) {
            const std::u16string section = text(6, u"]");
            original.AddSection(section);
            for (int k = random() % 7; k > 0; --k) {
                std::u16string value = text(8, u"\r\n");
                if (!value.empty() && (value[0] == u' ' || value[0] == u'\t'))
                    value[0] = u'v';
                original.SetValue(section, pick(u"abzABZ09") + text(5, u"="), value);
            }
        }
        ASSERT_TRUE(original.Save(folder.File16("first.ini")));
        IniFile loaded;
        ASSERT_TRUE(loaded.Load(folder.File16("first.ini")));
        ASSERT_EQ(loaded.GetSectionOrder(), original.GetSectionOrder());
        for (const std::u16string& name : original.GetSectionOrder()) {
            const IniSection* expected = original.GetSection(name);
            const IniSection* actual = loaded.GetSection(name);
            ASSERT_EQ(actual->GetKeyOrder(), expected->GetKeyOrder());
            for (const std::u16string& key : expected->GetKeyOrder()) {
                std::u16string want, got;
                expected->GetValue(key, want);
                ASSERT_TRUE(actual->GetValue(key, got));
                ASSERT_EQ(got, want);
            }
        }
        ASSERT_TRUE(loaded.Save(folder.File16("second.ini")));
        ASSERT_EQ(folder.Read("second.ini"), folder.Read("first.ini"));
    }
}

// Random texts, loaded, changed and saved: the file reads back as the document.
TEST_F(IniFileTest, ChangedFilesReadBackAsTheDocument) {
    std::mt19937 random(20261209);
    const std::u16string pool = u"ab01 \t\r\n\r\n[]]=;#";
    auto pick = [&](const std::vector<std::u16string>& names, std::u16string_view fresh) {
        return names.empty() || random() % 3 == 0 ? std::u16string(fresh)
                                                  : names[random() % names.size()];
    };
    for (int round = 0; round < 400; ++round) {
        std::u16string text(1 + random() % 60, u'a');
        for (char16_t& c : text)
            c = pool[random() % pool.size()];
        ASSERT_TRUE(
            Load(round % 2 ? kMark + Utf16Le(text) : std::string(text.begin(), text.end())));
        for (int change = random() % 6; change > 0; --change) {
            const std::u16string section = pick(ini.GetSectionOrder(), u"new");
            const IniSection* found = ini.GetSection(section);
            const std::u16string key = pick(found ? found->GetKeyOrder() : Order{}, u"k");
            switch (random() % 4) {
            case 0:
                ini.Delete(section);
                break;
            case 1:
                ini.Delete(section, key);
                break;
            default:
                ini.SetValue(section, key, random() % 2 ? u"" : u"v w");
            }
        }
        ASSERT_TRUE(ini.Save());
        IniFile again;
        ASSERT_TRUE(again.Load(folder.File16("doc.ini")));
        ASSERT_EQ(again.GetSectionOrder(), ini.GetSectionOrder()) << round;
        for (const std::u16string& name : ini.GetSectionOrder()) {
            ASSERT_EQ(again.GetSection(name)->GetKeyOrder(), Keys(name)) << round;
            for (const std::u16string& key : Keys(name)) {
                std::u16string value;
                ASSERT_TRUE(again.GetValue(name, key, value));
                ASSERT_EQ(value, Value(name, key)) << round;
            }
        }
    }
}

} // namespace
