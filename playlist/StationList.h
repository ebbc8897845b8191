#pragma once

#include <string>
#include <vector>

class PlaylistHost;
class Profile;

// The internet radio stations of the URL page, kept in the registry section "ShoutCast"
// ("NumberOfEntries", "Title%d", "File%d" from 0), and the import of ".pls" station lists.
class StationList {
public:
    struct Station {
        std::u16string title;
        std::u16string address;
    };

    StationList(Profile& profile, PlaylistHost& host) : m_profile(profile), m_host(host) {}

    // Writes the three default stations when "NumberOfEntries" is missing or 0.
    void EnsureDefaults();
    // Fills the rows from the registry: rows without an address are skipped, an empty title
    // shows the address.
    void Load();
    const std::vector<Station>& Rows() const { return m_rows; }
    // Moves a row one place up or down; the new index of the row.
    int MoveUp(int row);
    int MoveDown(int row);
    void Remove(int row);
    void RemoveAll() { m_rows.clear(); }

    // Adds the "http://" and "https://" stations of a ".pls" file that are not yet listed; other
    // files are ignored. A ".pls" that can't be read shows "File open error.". The number of rows
    // added.
    int ImportPls(const std::u16string& path);

    // OK on the page: writes all rows, then takes the address (its scheme and host in lower
    // case). When it is more than "http://" or "https://" it is returned for opening and, when
    // new, stored as one more station with `title`. Empty when there is nothing to open.
    std::u16string Accept(const std::u16string& title, const std::u16string& address);

    static constexpr int kDefaultCount = 3;
    static const Station kDefaults[kDefaultCount];

private:
    bool Known(const std::u16string& address) const;
    void WriteStation(int index, const std::u16string& title, const std::u16string& address);

    Profile& m_profile;
    PlaylistHost& m_host;
    std::vector<Station> m_rows;
    std::vector<std::u16string> m_addresses; // every address listed since the page opened
};
