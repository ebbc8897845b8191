#include "playlist/StationList.h"

#include "settings/SettingNames.h"
#include "tests/playlist/PlaylistFixture.h"

#include <gtest/gtest.h>

using namespace setting;

namespace {

class StationListTest : public PlaylistFixture {
protected:
    int32_t Count() { return profile.GetProfileInt(kShoutCastSection, u"NumberOfEntries", -1); }
    std::u16string Value(const std::u16string& name) {
        return profile.GetProfileString(kShoutCastSection, name, u"?");
    }

    StationList stations{profile, host};
};

TEST_F(StationListTest, AnEmptyRegistryGetsThreeDefaultStations) {
    stations.EnsureDefaults();
    EXPECT_EQ(Count(), 3);
    stations.Load();
    ASSERT_EQ(stations.Rows().size(), 3u);
    for (const StationList::Station& station : stations.Rows()) {
        EXPECT_FALSE(station.title.empty());
        EXPECT_TRUE(station.address.starts_with(u"http://"));
        const std::u16string host = station.address.substr(7, station.address.find(u'/', 7) - 7);
        EXPECT_NE(host.find(u':'), std::u16string::npos) << "no port in " << station.address.size();
    }

    // A list the user emptied to one station is left alone.
    profile.WriteProfileInt(kShoutCastSection, u"NumberOfEntries", 1);
    stations.EnsureDefaults();
    EXPECT_EQ(Count(), 1);
}

TEST_F(StationListTest, RowsSkipMissingAddressesAndShowTheAddressForNoTitle) {
    profile.WriteProfileInt(kShoutCastSection, u"NumberOfEntries", 3);
    profile.WriteProfileString(kShoutCastSection, u"File0", u"http://one:1");
    profile.WriteProfileString(kShoutCastSection, u"Title2", u"Three");
    profile.WriteProfileString(kShoutCastSection, u"File2", u"http://three:3");
    stations.Load();
    ASSERT_EQ(stations.Rows().size(), 2u);
    EXPECT_EQ(stations.Rows()[0].title, u"http://one:1");
    EXPECT_EQ(stations.Rows()[1].title, u"Three");

    EXPECT_EQ(stations.MoveDown(0), 1);
    EXPECT_EQ(stations.MoveDown(1), 1);
    EXPECT_EQ(stations.MoveUp(1), 0);

    // OK writes the rows in order, then adds a new address as one more station.
    EXPECT_EQ(stations.Accept(u"Mine", u"HTTP://Mine:8000"), u"http://mine:8000");
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Value(u"File1"), u"http://three:3");
    EXPECT_EQ(Value(u"Title2"), u"Mine");
    EXPECT_EQ(Value(u"File2"), u"http://mine:8000");

    stations.Remove(0);
    EXPECT_EQ(stations.Accept(u"Again", u"http://mine:8000"), u"http://mine:8000");
    EXPECT_EQ(Count(), 1); // known already: not added again
    EXPECT_EQ(stations.Accept(u"", u"http://"), u"");
    EXPECT_EQ(stations.Accept(u"", u"HTTPS://"), u"");
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(stations.Accept(u"S", u"Https://Secure.Example/Radio.AAC"),
              u"https://secure.example/Radio.AAC");
    EXPECT_EQ(Count(), 2);
    // Another scheme is stored but is not for opening by the caller's rule.
    EXPECT_EQ(stations.Accept(u"F", u"ftp://x"), u"ftp://x");
    EXPECT_EQ(Count(), 2);
}

TEST_F(StationListTest, PlsImportFollowsItsNames) {
    stations.Load();
    home.Write("good.pls", "[playlist]\nnumberofentries=4\nFile1=http://a:1\nTitle1=A\n"
                           "File2=mms://b\nFile3=HTTP://c:3\nFile4=http://a:1\n");
    EXPECT_EQ(stations.ImportPls(home.File16("good.pls")), 2);
    ASSERT_EQ(stations.Rows().size(), 2u);
    EXPECT_EQ(stations.Rows()[0].title, u"A");
    EXPECT_EQ(stations.Rows()[1].title, u"HTTP://c:3");

    home.Write("alt.pls", "[playlist]\nNumberofentries=2\nFile1=http://d:4\nFile2=Https://s/\n");
    EXPECT_EQ(stations.ImportPls(home.File16("alt.pls")), 2);
    home.Write("caps.pls", "[Playlist]\nnumberofentries=1\nFile1=http://e:5\n");
    EXPECT_EQ(stations.ImportPls(home.File16("caps.pls")), 0);
    home.Write("key.pls", "[playlist]\nNumberOfEntries=1\nFile1=http://f:6\n");
    EXPECT_EQ(stations.ImportPls(home.File16("key.pls")), 0);
    home.Write("other.m3u", "[playlist]\nnumberofentries=1\nFile1=http://g:7\n");
    EXPECT_EQ(stations.ImportPls(home.File16("other.m3u")), 0);
    EXPECT_TRUE(host.messages.empty());

    EXPECT_EQ(stations.ImportPls(home.File16("missing.pls")), 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.English(), u"File open error.");
    EXPECT_EQ(host.messages[0].caption.English(), u"Sonvale Error");
    EXPECT_EQ(host.messages[0].box, PlaylistHost::Box::Error);
}

} // namespace
