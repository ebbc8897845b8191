#pragma once

#include "engine/core/PlayerTypes.h"
#include "playlist/EntryPaths.h"
#include "playlist/FileInfo.h"
#include "playlist/PlaylistEntry.h"
#include "support/UiText.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class LibraryTagSource;
class PlaylistHost;
class Profile;

// The list the main view plays from: the entries, the current entry and its index, the resume
// position, the played list of the shuffle cycle and the favorites list; their files
// ("playlist.wpl", "shuffle.lst" in the data folder) and the rules that pick the next entry.
class Playlist {
public:
    static constexpr int kMaxEntries = 9999;

    Playlist(Profile& profile, PlaylistHost& host, LibraryTagSource* library = nullptr);

    // The entries, kept compact (see PlaylistEntry) and handed out as FileInfo copies. A change
    // of what the list files hold counts for ChangedLists.
    int Count() const { return static_cast<int>(m_entries.size()); }
    // The entry at `index`, a copy; none when there is no such entry.
    std::optional<FileInfo> EntryAt(int index) const;
    // All entries, copied.
    std::vector<FileInfo> AllEntries() const;
    // The path and the favourite mark of the entry at `index` (which must be there).
    std::u16string_view PathAt(int index) const;
    int32_t FavoriteAt(int index) const;
    bool MissingAt(int index) const;
    void SetEntry(int index, const FileInfo& entry);
    void SetFavoriteAt(int index, int32_t favorite);
    void SetMissingAt(int index, bool missing);
    // Appends an entry unless the list is full or holds the same path; true when appended.
    bool Append(const FileInfo& entry);
    // Appends an entry without those checks.
    void Add(const FileInfo& entry);
    // Replaces all entries.
    void Assign(const std::vector<FileInfo>& entries);
    // Removes `count` entries from `index` on.
    void Erase(int index, int count = 1);
    void Clear();
    // Moves the entry at `from` so that it ends up at `to`.
    void MoveEntry(int from, int to);
    // Puts the entries in the order of `order`, which lists every index once.
    void Reorder(const std::vector<size_t>& order);
    bool Contains(const std::u16string& path) const;
    // Index of the first entry whose path equals `path` exactly; Count() when there is none.
    int IndexOfExact(std::u16string_view path) const;

    FileInfo& Current() { return m_current; }
    int CurIndex() const { return m_curIndex; }
    void SetCurIndex(int index) { m_curIndex = index; }
    int PrevIndex() const { return m_prevIndex; }
    void SetPrevIndex(int index) { m_prevIndex = index; }
    int32_t CurPlayPos() const { return m_curPlayPos; }
    void SetCurPlayPos(int32_t ms) { m_curPlayPos = ms; }
    // The paths played in this shuffle cycle (kept like the favourites).
    std::vector<std::u16string> PlayedList() const { return m_played.All(); }
    void SetPlayedList(const std::vector<std::u16string>& paths);
    void ClearPlayed();
    // The favourites, in the order they were marked. One that is an entry of the list is kept
    // as its index, so that a long list does not hold its paths twice.
    std::vector<std::u16string> Favorites() const;
    int FavoriteCount() const { return m_favorites.Size(); }
    std::u16string_view FavoritePath(int k) const { return m_favorites.At(k); }
    void SetFavorites(const std::vector<std::u16string>& paths);
    void AddFavorite(std::u16string_view path);
    // Removes every favourite whose path equals `path` exactly.
    void RemoveFavorite(std::u16string_view path);
    void ClearFavorites();
    // The favourites again from the entries marked favourite, in list order.
    void FavoritesFromEntries();
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
    // With `reportErrors` a file that can't be opened, is damaged (what could be read is kept)
    // or holds entries past the limit is reported to the user.
    bool PlaylistLoad(const std::u16string& path, bool reportErrors);
    // Writes the whole playlist; false when the file can't be written.
    bool PlaylistSave(const std::u16string& path) const;
    // Start-up: the playlist, played list and resume position of the last run. The files stay;
    // a damaged list is copied to DamagedListPath() and, like entries past the limit, left for
    // ShowNotices to report.
    void PlaylistRestore();
    // Shutdown: resume values, "playlist.wpl" and "shuffle.lst". `positionMs` is where the
    // current entry is playing.
    void PlaylistStore(int32_t positionMs);
    // The played list from and to a file of its own.
    bool LoadPlayedList(const std::u16string& path);
    bool SavePlayedList(const std::u16string& path) const;

    // What "playlist.wpl" and "shuffle.lst" should hold now; an empty text means that the file
    // should not be there.
    struct ListFiles {
        std::string list;
        std::string played;
    };
    // The list files as shutdown would write them, when anything they hold may have changed
    // since the last call; nullopt otherwise. The caller keeps the playlist still meanwhile.
    std::optional<ListFiles> ChangedLists();
    // Writes the files whose bytes differ from what is on disk and removes the ones no longer
    // wanted. A file this run neither loaded nor wrote is never removed. One thread at a time.
    void WriteLists(ListFiles files);
    // Keeps the resume values in step with the current entry (when Resume is on), so that a
    // start after a crash resumes on it. `positionMs` is where the current entry is playing.
    void SaveResumeValues(int32_t positionMs);
    // The start-up found a saved playlist file, readable or not.
    bool SavedListFound() const { return m_savedListFound; }
    // Shows the messages the start-up left for the user (a damaged list, entries left out).
    void ShowNotices();

    // The entry at `index` is marked missing and its file is still not there; the mark is
    // cleared when the file has come back.
    bool Missing(int index);

    // The library's tags after the audio started again (null while it is down).
    void SetTagSource(LibraryTagSource* library) { m_library = library; }
    bool FillEntryTags(const std::u16string& path, TagInfo& info) const;

    static bool IsPlayable(const std::u16string& path);
    static bool SamePath(const FileInfo& a, const FileInfo& b);
    static bool SamePath(std::u16string_view a, std::u16string_view b);
    static std::u16string EntryLabel(const FileInfo& entry, bool useTitle, bool showArtist);

    // Moves CurIndex by `step` (+1 next, -1 previous) under the shuffle and favourites rules.
    void PickNextEntry(int step);
    // A pseudo-random index below `m` (m > 0).
    static int Pick(int m);
    // A pseudo-random number 0 .. 2^31 - 1 from three draws of the C library's rand().
    static int32_t Random31();

    // Paths of the data files: "playlist.wpl" and "shuffle.lst" in the data folder, and the copy
    // a damaged "playlist.wpl" is kept as.
    static std::u16string DefaultListPath();
    static std::u16string PlayedListPath();
    static std::u16string DamagedListPath();

private:
    // The entry's file is not there, or is WMA/ASF while WMA can't be played.
    bool Unplayable(std::u16string_view path, std::u16string_view ext) const;
    // Keeps the favourites naming the same paths while entries move: `rowOf` gives each old
    // index its new one, or -1 for an entry that goes.
    void MovePaths(const std::vector<int>& rowOf);
    // Before the entry at `index` changes its path.
    void KeepPaths(int index);
    struct LoadResult {
        bool damaged = false; // the records ran past the end, or the count did not match them
        int leftOut = 0;      // entries past the limit
    };
    // `checkFiles` false: the entries' "missing" marks wait for MarkMissing. `ready` runs once,
    // as soon as the list holds `readyAt` entries; the rest is read after it.
    LoadResult LoadListBytes(const std::string& bytes, bool checkFiles = true, int readyAt = 0,
                             const std::function<void()>& ready = {});
    void MarkMissing();
    UiText DamagedText(const std::u16string& path, bool saved) const;
    UiText LeftOutText(int leftOut) const;
    void Notify(UiText text);
    std::string ListBytes() const;
    std::string PlayedBytes() const;
    bool InPlayed(std::u16string_view path) const;
    // Adds a path to the played list: the path of the entry at `row`, or with -1 of none.
    void AddPlayed(std::u16string_view path, int row);
    // The first index of each path.
    std::unordered_map<std::u16string_view, int> RowsByPath() const;
    void LoadPlayedBytes(const std::string& bytes);
    bool StepToFavorite(int step, bool wrapBackward);
    void MoveTo(int index);
    void NextInOrder();
    void ShuffleFavorites();
    void ShuffleAll();

    Profile& m_profile;
    PlaylistHost& m_host;
    LibraryTagSource* m_library;
    std::vector<PlaylistEntry> m_entries;
    FileInfo m_current;
    int m_curIndex = 0;
    int m_prevIndex = 0;
    int32_t m_curPlayPos = 0;
    EntryPaths m_played{m_entries};
    // The hash of each played path and its place in m_played, for a quick lookup.
    std::unordered_multimap<size_t, int> m_playedIndex;
    EntryPaths m_favorites{m_entries};
    bool m_listMode = false;
    bool m_wmaAvailable = false;
    bool m_restarted = false;
    bool m_playAfterRestart = false;

    // Changes of what the list files hold, and what was last written or loaded.
    std::atomic<uint64_t> m_changes{1};
    uint64_t m_lastChanges = 0;
    std::u16string m_lastCurrentPath;
    bool m_lastShuffle = false;
    struct DiskFile {
        bool owned = false; // loaded or written in this run
        size_t hash = 0;    // of the bytes on disk
    };
    DiskFile m_listOnDisk;
    DiskFile m_playedOnDisk;
    std::u16string m_resumePath;
    int m_resumeIndex = -1;
    bool m_savedListFound = false;
    bool m_restoring = false; // the saved list is being read (its track may already play)
    std::vector<UiText> m_notices;
};
