#pragma once

#include "engine/player/PlayerTypes.h"
#include "playlist/FileInfo.h"

#include <cstdint>
#include <string>
#include <vector>

class LibraryTagSource;
class PlaylistHost;
class Profile;

// The list the main view plays from: the entries, the current entry and its index, the resume
// position, the played list of the shuffle cycle and the favorites list; their files
// ("playlist.wpl", "shuffle.lst" in the data folder) and the rules that pick the next entry.
class CPlaylist {
public:
    static constexpr int kMaxEntries = 9999;

    CPlaylist(Profile& profile, PlaylistHost& host, LibraryTagSource* library = nullptr);

    std::vector<_SFileInfo>& Entries() { return m_entries; }
    const std::vector<_SFileInfo>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    // The entry at `index`; null when there is none.
    const _SFileInfo* EntryAt(int index) const;
    // Appends an entry unless the list is full or holds the same path; true when appended.
    bool Append(const _SFileInfo& entry);
    bool Contains(const std::u16string& path) const;
    // Index of the first entry whose path equals `path` exactly; Count() when there is none.
    int IndexOfExact(const std::u16string& path) const;

    _SFileInfo& Current() { return m_current; }
    int CurIndex() const { return m_curIndex; }
    void SetCurIndex(int index) { m_curIndex = index; }
    int PrevIndex() const { return m_prevIndex; }
    void SetPrevIndex(int index) { m_prevIndex = index; }
    int32_t CurPlayPos() const { return m_curPlayPos; }
    void SetCurPlayPos(int32_t ms) { m_curPlayPos = ms; }
    std::vector<std::u16string>& PlayedList() { return m_played; }
    std::vector<std::u16string>& Favorites() { return m_favorites; }
    bool ListMode() const { return m_listMode; }
    void SetListMode(bool on) { m_listMode = on; }

    // WMA/ASF playback exists (the media player control was found).
    bool WmaAvailable() const { return m_wmaAvailable; }
    void SetWmaAvailable(bool available) { m_wmaAvailable = available; }
    // The restart flags: this start follows a power-on restart; play after loading.
    bool Restarted() const { return m_restarted; }
    void SetRestartFlags(bool restarted, bool playAfterLoad);
    bool PlayAfterRestart() const { return m_playAfterRestart; }

    PlaylistHost& Host() { return m_host; }
    Profile& SettingsProfile() { return m_profile; }

    // Appends the entries of a playlist file; true when the playlist is non-empty afterwards.
    bool PlaylistLoad(const std::u16string& path, bool reportErrors);
    // Writes the whole playlist; false when the file can't be written.
    bool PlaylistSave(const std::u16string& path) const;
    // Start-up: the playlist, played list and resume position of the last run.
    void PlaylistRestore();
    // Shutdown: resume values, "playlist.wpl" and "shuffle.lst". `positionMs` is where the
    // current entry is playing.
    void PlaylistStore(int32_t positionMs);
    // The played list from and to a file of its own.
    bool LoadPlayedList(const std::u16string& path);
    bool SavePlayedList(const std::u16string& path) const;

    bool FillEntryTags(const std::u16string& path, TagInfo& info) const;

    static bool IsPlayable(const std::u16string& path);
    static bool SamePath(const _SFileInfo& a, const _SFileInfo& b);
    static std::u16string EntryLabel(const _SFileInfo& entry, bool useTitle, bool showArtist);

    // Moves CurIndex by `step` (+1 next, -1 previous) under the shuffle and favourites rules.
    void PickNextEntry(int step);
    // A pseudo-random index below `m` (m > 0).
    static int Pick(int m);
    // A pseudo-random number 0 .. 2^31 - 1 from three draws of the C library's rand().
    static int32_t Random31();

    // Paths of the data files: "playlist.wpl" and "shuffle.lst" in the data folder.
    static std::u16string DefaultListPath();
    static std::u16string PlayedListPath();

private:
    bool InPlayed(const std::u16string& path) const;
    void AddPlayed(const std::u16string& path);
    bool StepToFavorite(int step, bool wrapBackward);
    void MoveTo(int index);
    void NextInOrder();
    void ShuffleFavorites();
    void ShuffleAll();

    Profile& m_profile;
    PlaylistHost& m_host;
    LibraryTagSource* m_library;
    std::vector<_SFileInfo> m_entries;
    _SFileInfo m_current;
    int m_curIndex = 0;
    int m_prevIndex = 0;
    int32_t m_curPlayPos = 0;
    std::vector<std::u16string> m_played;
    std::vector<std::u16string> m_favorites;
    bool m_listMode = false;
    bool m_wmaAvailable = false;
    bool m_restarted = false;
    bool m_playAfterRestart = false;
};
