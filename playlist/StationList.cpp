#include "playlist/StationList.h"

#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "playlist/EntryTags.h"
#include "playlist/PlaylistHost.h"
#include "playlist/StreamAddress.h"
#include "settings/Settings.h"
#include "support/IniFile.h"

#include <algorithm>

using namespace setting;

const StationList::Station StationList::kDefaults[kDefaultCount] = {
    {u"SomaFM: Groove Salad", u"http://ice1.somafm.com:80/groovesalad-128-mp3"},
    {u"Radio Paradise", u"http://stream.radioparadise.com:80/mp3-128"},
    {u"SomaFM: Secret Agent", u"http://ice2.somafm.com:80/secretagent-128-mp3"},
};

namespace {

std::u16string Name(const char* format, int index) {
    return Settings::IndexedName(format, index);
}

} // namespace

void StationList::WriteStation(int index, const std::u16string& title,
                               const std::u16string& address) {
    m_profile.WriteProfileString(kShoutCastSection, Name(kShoutCastTitleFormat, index), title);
    m_profile.WriteProfileString(kShoutCastSection, Name(kShoutCastFileFormat, index), address);
}

void StationList::EnsureDefaults() {
    if (m_profile.GetProfileInt(kShoutCastSection, kShoutCastCount.name, 0) != 0)
        return;
    m_profile.WriteProfileInt(kShoutCastSection, kShoutCastCount.name, kDefaultCount);
    for (int i = 0; i < kDefaultCount; ++i)
        WriteStation(i, kDefaults[i].title, kDefaults[i].address);
}

void StationList::Load() {
    m_rows.clear();
    const int count = m_profile.GetProfileInt(kShoutCastSection, kShoutCastCount.name, 0);
    for (int i = 0; i < count; ++i) {
        const std::u16string address =
            m_profile.GetProfileString(kShoutCastSection, Name(kShoutCastFileFormat, i));
        if (address.empty())
            continue;
        std::u16string title =
            m_profile.GetProfileString(kShoutCastSection, Name(kShoutCastTitleFormat, i));
        m_rows.push_back({title.empty() ? address : title, address});
        m_addresses.push_back(address);
    }
}

int StationList::MoveUp(int row) {
    if (row <= 0 || row >= static_cast<int>(m_rows.size()))
        return row;
    std::swap(m_rows[static_cast<size_t>(row)], m_rows[static_cast<size_t>(row - 1)]);
    return row - 1;
}

int StationList::MoveDown(int row) {
    if (row < 0 || row + 1 >= static_cast<int>(m_rows.size()))
        return row;
    std::swap(m_rows[static_cast<size_t>(row)], m_rows[static_cast<size_t>(row + 1)]);
    return row + 1;
}

void StationList::Remove(int row) {
    if (row >= 0 && row < static_cast<int>(m_rows.size()))
        m_rows.erase(m_rows.begin() + row);
}

bool StationList::Known(const std::u16string& address) const {
    return std::find(m_addresses.begin(), m_addresses.end(), address) != m_addresses.end();
}

int StationList::ImportPls(const std::u16string& path) {
    if (EntryTags::Extension(path) != u".pls")
        return 0;
    IniFile pls;
    if (!pls.Load(path)) {
        m_host.MessageBox(UI_TEXT("Playlist", "File open error."),
                          UI_TEXT("Playlist", "Sonvale Error"), PlaylistHost::Box::Error);
        return 0;
    }
    int count = 0;
    if (!pls.GetInt(u"playlist", u"numberofentries", count))
        pls.GetInt(u"playlist", u"Numberofentries", count);
    int added = 0;
    for (int d = 1; d <= count; ++d) {
        std::u16string title, address;
        pls.GetValue(u"playlist", Name("Title%d", d), title);
        if (!pls.GetValue(u"playlist", Name("File%d", d), address))
            continue;
        if (!StreamAddress::HasScheme(address) || Known(address))
            continue;
        m_rows.push_back({title.empty() ? address : title, address});
        m_addresses.push_back(address);
        ++added;
    }
    return added;
}

std::u16string StationList::Accept(const std::u16string& title, const std::u16string& address) {
    const int count = static_cast<int>(m_rows.size());
    m_profile.WriteProfileInt(kShoutCastSection, kShoutCastCount.name, count);
    for (int i = 0; i < count; ++i)
        WriteStation(i, m_rows[static_cast<size_t>(i)].title,
                     m_rows[static_cast<size_t>(i)].address);

    const std::u16string url = StreamAddress::Normalised(address);
    if (url.empty() || url == u"http://" || url == u"https://")
        return {};
    if (!Known(url)) {
        WriteStation(count, title, url);
        m_profile.WriteProfileInt(kShoutCastSection, kShoutCastCount.name, count + 1);
        m_addresses.push_back(url);
    }
    return url;
}
