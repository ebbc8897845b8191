#include "playlist/Playlist.h"

#include "platform/Folders.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "playlist/Archive.h"
#include "playlist/EntryTags.h"
#include "playlist/PlaylistHost.h"
#include "playlist/StreamAddress.h"
#include "settings/Settings.h"
#include "support/AtomicFile.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

using namespace setting;

namespace {

// A shuffled pick gives up drawing after this many rejected draws and takes the first
// candidate in order instead; with a candidate present that is never expected to happen.
constexpr int kMaxDraws = 1 << 20;

std::filesystem::path Native(const std::u16string& path) {
    return std::filesystem::path(TextCodec::Utf16ToUtf8(path));
}

bool IsFile(const std::u16string& path) {
    std::error_code ec;
    const std::filesystem::path native = Native(path);
    const std::filesystem::file_status status = std::filesystem::status(native, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
    if (!IsFile(path))
        return false;
    std::ifstream in(Native(path), std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    // One block of the file's size, not a string grown (and left behind) step by step.
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size > 0) {
        bytes.resize(static_cast<size_t>(size));
        in.read(bytes.data(), size);
        bytes.resize(static_cast<size_t>(in.gcount()));
    }
    return !in.bad();
}

bool WriteWholeFile(const std::u16string& path, const std::string& bytes) {
    return AtomicFile::Write(TextCodec::Utf16ToUtf8(path), bytes);
}

size_t Hash(const std::string& bytes) {
    return std::hash<std::string>{}(bytes);
}

bool ReadEntry(Archive& archive, FileInfo& entry) {
    for (std::u16string* text : {&entry.name, &entry.path, &entry.ext, &entry.playTime,
                                 &entry.title, &entry.artist, &entry.album, &entry.reserved})
        if (!archive.ReadString(*text))
            return false;
    return archive.ReadInt32(entry.favorite);
}

// The bytes an entry takes at most: nine lengths of up to 10 bytes and the texts.
size_t EntrySize(const FileInfo& entry) {
    return 94 + 2 * (entry.name.size() + entry.path.size() + entry.ext.size() +
                     entry.playTime.size() + entry.title.size() + entry.artist.size() +
                     entry.album.size() + entry.reserved.size());
}

void WriteEntry(Archive& archive, const FileInfo& entry) {
    for (const std::u16string* text : {&entry.name, &entry.path, &entry.ext, &entry.playTime,
                                       &entry.title, &entry.artist, &entry.album, &entry.reserved})
        archive.WriteString(*text);
    archive.WriteInt32(entry.favorite);
}

// The lower-case paths of a list being loaded, to find a path listed twice in linear time. The
// table is one block (the hash and the index of each path), so that it leaves no node per entry
// between the entries on the heap when it goes.
class ListedPaths {
public:
    // `text(id)` gives the lower-case path of an id inserted before.
    explicit ListedPaths(std::function<std::u16string(int32_t)> text)
        : m_text(std::move(text)), m_slots(64) {}

    // Adds the path under `id`; false when the same path is there already.
    bool Insert(const std::u16string& lower, int32_t id) {
        const size_t hash = std::hash<std::u16string>{}(lower);
        for (size_t i = hash & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            Slot& slot = m_slots[i];
            if (slot.id == kEmpty) {
                slot = {hash, id};
                if (++m_used * 2 > m_slots.size())
                    Grow();
                return true;
            }
            if (slot.hash == hash && m_text(slot.id) == lower)
                return false;
        }
    }

private:
    static constexpr int32_t kEmpty = INT32_MIN;
    struct Slot {
        size_t hash = 0;
        int32_t id = kEmpty;
    };

    void Grow() {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const Slot& slot : old) {
            if (slot.id == kEmpty)
                continue;
            size_t i = slot.hash & (m_slots.size() - 1);
            while (m_slots[i].id != kEmpty)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = slot;
        }
    }

    std::function<std::u16string(int32_t)> m_text;
    std::vector<Slot> m_slots;
    size_t m_used = 0;
};

void RemoveFile(const std::u16string& path) {
    std::error_code ec;
    std::filesystem::remove(Native(path), ec);
}

bool On(Profile& profile, const NumberSetting& value) {
    return Settings::Get(profile, value) != 0;
}

} // namespace

Playlist::Playlist(Profile& profile, PlaylistHost& host, LibraryTagSource* library)
    : m_profile(profile), m_host(host), m_library(library) {}

std::optional<FileInfo> Playlist::EntryAt(int index) const {
    if (index < 0 || index >= Count())
        return std::nullopt;
    return m_entries[static_cast<size_t>(index)].Info();
}

std::vector<FileInfo> Playlist::AllEntries() const {
    return PlaylistEntry::Infos(m_entries);
}

std::u16string_view Playlist::PathAt(int index) const {
    return m_entries.at(static_cast<size_t>(index)).Path();
}

int32_t Playlist::FavoriteAt(int index) const {
    return m_entries.at(static_cast<size_t>(index)).Favorite();
}

bool Playlist::MissingAt(int index) const {
    return m_entries.at(static_cast<size_t>(index)).Missing();
}

void Playlist::SetEntry(int index, const FileInfo& entry) {
    PlaylistEntry& stored = m_entries.at(static_cast<size_t>(index));
    if (stored.Path() != entry.path)
        KeepPaths(index);
    stored = PlaylistEntry(entry);
    ++m_changes;
}

void Playlist::SetFavoriteAt(int index, int32_t favorite) {
    m_entries.at(static_cast<size_t>(index)).SetFavorite(favorite);
    ++m_changes;
}

void Playlist::SetMissingAt(int index, bool missing) {
    m_entries.at(static_cast<size_t>(index)).SetMissing(missing);
}

bool Playlist::Contains(const std::u16string& path) const {
    const std::u16string lower = EntryTags::Lower(path);
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const PlaylistEntry& entry) {
        return EntryTags::Lower(entry.Path()) == lower;
    });
}

bool Playlist::Append(const FileInfo& entry) {
    if (Count() >= kMaxEntries || Contains(entry.path))
        return false;
    Add(entry);
    return true;
}

void Playlist::Add(const FileInfo& entry) {
    m_entries.emplace_back(entry);
    ++m_changes;
}

void Playlist::Assign(const std::vector<FileInfo>& entries) {
    Clear();
    m_entries.reserve(entries.size());
    for (const FileInfo& entry : entries)
        m_entries.emplace_back(entry);
}

void Playlist::Erase(int index, int count) {
    const int end = std::min(Count(), index + count);
    if (index < 0 || index >= end)
        return;
    std::vector<int> rowOf(m_entries.size());
    for (int i = 0; i < Count(); ++i)
        rowOf[static_cast<size_t>(i)] = i < index ? i : i < end ? -1 : i - (end - index);
    MovePaths(rowOf);
    m_entries.erase(m_entries.begin() + index, m_entries.begin() + end);
    ++m_changes;
}

void Playlist::Clear() {
    MovePaths(std::vector<int>(m_entries.size(), -1));
    m_entries.clear();
    m_entries.shrink_to_fit();
    ++m_changes;
}

void Playlist::MoveEntry(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
        return;
    std::vector<size_t> order;
    order.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (i != static_cast<size_t>(from))
            order.push_back(i);
    order.insert(order.begin() + to, static_cast<size_t>(from));
    Reorder(order);
}

void Playlist::Reorder(const std::vector<size_t>& order) {
    std::vector<int> rowOf(m_entries.size(), -1);
    std::vector<PlaylistEntry> entries;
    entries.reserve(order.size());
    for (const size_t from : order) {
        rowOf.at(from) = static_cast<int>(entries.size());
        entries.push_back(std::move(m_entries.at(from)));
    }
    MovePaths(rowOf);
    m_entries = std::move(entries);
    ++m_changes;
}

int Playlist::IndexOfExact(std::u16string_view path) const {
    const auto found =
        std::find_if(m_entries.begin(), m_entries.end(),
                     [&](const PlaylistEntry& entry) { return entry.Path() == path; });
    return static_cast<int>(found - m_entries.begin());
}

void Playlist::SetPlayedList(const std::vector<std::u16string>& paths) {
    ClearPlayed();
    const std::unordered_map<std::u16string_view, int> rows = RowsByPath();
    for (const std::u16string& path : paths) {
        const auto found = rows.find(path);
        AddPlayed(path, found != rows.end() ? found->second : -1);
    }
}

std::unordered_map<std::u16string_view, int> Playlist::RowsByPath() const {
    std::unordered_map<std::u16string_view, int> rows;
    for (int i = Count() - 1; i >= 0; --i)
        rows[PathAt(i)] = i;
    return rows;
}

std::vector<std::u16string> Playlist::Favorites() const {
    return m_favorites.All();
}

void Playlist::SetFavorites(const std::vector<std::u16string>& paths) {
    ClearFavorites();
    const std::unordered_map<std::u16string_view, int> rows = RowsByPath();
    for (const std::u16string& path : paths) {
        const auto found = rows.find(path);
        m_favorites.Push(path, found != rows.end() ? found->second : -1);
    }
}

void Playlist::AddFavorite(std::u16string_view path) {
    const int index = IndexOfExact(path);
    m_favorites.Push(path, index < Count() ? index : -1);
}

void Playlist::RemoveFavorite(std::u16string_view path) {
    std::vector<std::u16string> kept = m_favorites.All();
    std::erase(kept, path);
    SetFavorites(kept);
}

void Playlist::ClearFavorites() {
    m_favorites.Clear();
}

void Playlist::FavoritesFromEntries() {
    ClearFavorites();
    std::unordered_set<std::u16string_view> seen;
    for (int i = 0; i < Count(); ++i)
        if (FavoriteAt(i) == 1 && seen.insert(PathAt(i)).second)
            m_favorites.Push(PathAt(i), i);
    m_favorites.ShrinkToFit();
}

void Playlist::MovePaths(const std::vector<int>& rowOf) {
    m_favorites.Move(rowOf);
    m_played.Move(rowOf);
}

void Playlist::KeepPaths(int index) {
    std::vector<int> rowOf(m_entries.size());
    for (int i = 0; i < Count(); ++i)
        rowOf[static_cast<size_t>(i)] = i == index ? -1 : i;
    MovePaths(rowOf);
}

void Playlist::SetRestartFlags(bool restarted, bool playAfterLoad) {
    m_restarted = restarted;
    m_playAfterRestart = playAfterLoad;
}

bool Playlist::PlaylistLoad(const std::u16string& path, bool reportErrors) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        if (reportErrors) {
            m_host.MessageBox(UI_TEXT("Playlist", "File open error."),
                              UI_TEXT("Playlist", "Sonvale Error"), PlaylistHost::Box::Error);
        }
        return false;
    }
    const LoadResult result = LoadListBytes(bytes);
    if (reportErrors) {
        if (result.damaged)
            Notify(DamagedText(path, false));
        if (result.leftOut > 0)
            Notify(LeftOutText(result.leftOut));
        ShowNotices();
    }
    return !m_entries.empty();
}

Playlist::LoadResult Playlist::LoadListBytes(const std::string& bytes, bool checkFiles, int readyAt,
                                             const std::function<void()>& ready) {
    LoadResult result;
    ClearFavorites();
    ++m_changes;
    // The paths listed: an entry's index, or ~k for leftOut[k], a path past the limit.
    std::vector<std::u16string> leftOut;
    ListedPaths listed([&](int32_t id) {
        return id >= 0 ? EntryTags::Lower(PathAt(id)) : leftOut[static_cast<size_t>(~id)];
    });
    for (int i = 0; i < Count(); ++i)
        listed.Insert(EntryTags::Lower(PathAt(i)), i);
    Archive archive(bytes);
    int32_t count = 0;
    if (!archive.ReadInt32(count) || count < 0) {
        result.damaged = true;
        count = 0;
    }
    for (int32_t i = 0; i < count; ++i) {
        FileInfo entry;
        // A record cut short ends the file: what was read before it stays.
        if (!ReadEntry(archive, entry)) {
            result.damaged = true;
            break;
        }
        if (entry.path.empty())
            continue;
        std::u16string lower = EntryTags::Lower(entry.path);
        if (Count() >= kMaxEntries) {
            if (listed.Insert(lower, ~static_cast<int32_t>(leftOut.size()))) {
                ++result.leftOut;
                leftOut.push_back(std::move(lower));
            }
            continue;
        }
        if (!listed.Insert(lower, Count()))
            continue;
        // An entry whose file is not there now (a card taken out, a file moved away for a
        // while), or that can't be played here (WMA without its decoder), stays in the list;
        // playing steps over it.
        entry.missing = checkFiles && Unplayable(entry.path, entry.ext);
        if (entry.title.empty())
            entry.title = entry.name;
        // No two entries loaded here have the same path: each favourite is listed once.
        m_entries.emplace_back(entry);
        if (entry.favorite == 1)
            m_favorites.Push(entry.path, Count() - 1);
        if (ready && Count() == readyAt)
            ready();
    }
    if (archive.Remaining() != 0)
        result.damaged = true;
    // The list stays as long as it was loaded; what the load grew beyond that goes back.
    m_entries.shrink_to_fit();
    m_favorites.ShrinkToFit();
    return result;
}

std::string Playlist::ListBytes() const {
    // A single file opened outside the list is kept with it, as at shutdown.
    const bool withCurrent = !m_current.name.empty() && !m_current.path.empty() &&
                             !m_current.ext.empty() && Count() < kMaxEntries &&
                             IndexOfExact(m_current.path) == Count() && !Contains(m_current.path);
    if (m_entries.empty() && !withCurrent)
        return {};
    size_t size = 4 + (withCurrent ? EntrySize(m_current) : 0);
    for (const PlaylistEntry& entry : m_entries)
        size += EntrySize(entry.Info());
    Archive archive;
    archive.Reserve(size);
    archive.WriteInt32(Count() + (withCurrent ? 1 : 0));
    for (const PlaylistEntry& entry : m_entries)
        WriteEntry(archive, entry.Info());
    if (withCurrent)
        WriteEntry(archive, m_current);
    return archive.Bytes();
}

bool Playlist::PlaylistSave(const std::u16string& path) const {
    Archive archive;
    archive.WriteInt32(Count());
    for (const PlaylistEntry& entry : m_entries)
        WriteEntry(archive, entry.Info());
    return WriteWholeFile(path, archive.Bytes());
}

bool Playlist::LoadPlayedList(const std::u16string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return false;
    LoadPlayedBytes(bytes);
    return true;
}

void Playlist::LoadPlayedBytes(const std::string& bytes) {
    ClearPlayed();
    const std::unordered_map<std::u16string_view, int> rows = RowsByPath();
    Archive archive(bytes);
    int32_t count = 0;
    if (!archive.ReadInt32(count))
        count = 0;
    for (int32_t i = 0; i < count; ++i) {
        std::u16string played;
        if (!archive.ReadString(played))
            break;
        const auto found = rows.find(played);
        AddPlayed(played, found != rows.end() ? found->second : -1);
    }
}

std::string Playlist::PlayedBytes() const {
    Archive archive;
    archive.WriteInt32(m_played.Size());
    for (int k = 0; k < m_played.Size(); ++k)
        archive.WriteString(m_played.At(k));
    return archive.Bytes();
}

bool Playlist::SavePlayedList(const std::u16string& path) const {
    return WriteWholeFile(path, PlayedBytes());
}

std::optional<Playlist::ListFiles> Playlist::ChangedLists() {
    if (m_restoring)
        return std::nullopt; // the list is whole again once the restore ends
    const uint64_t changes = m_changes;
    const bool shuffle = On(m_profile, kShuffle);
    if (changes == m_lastChanges && shuffle == m_lastShuffle && m_current.path == m_lastCurrentPath)
        return std::nullopt;
    m_lastChanges = changes;
    m_lastShuffle = shuffle;
    m_lastCurrentPath = m_current.path;
    ListFiles files;
    files.list = ListBytes();
    if (shuffle && !m_played.Empty())
        files.played = PlayedBytes();
    return files;
}

void Playlist::WriteLists(ListFiles files) {
    auto update = [](const std::u16string& path, const std::string& bytes, DiskFile& disk) {
        if (bytes.empty()) {
            if (disk.owned)
                RemoveFile(path);
            disk.owned = false;
            return;
        }
        const size_t hash = Hash(bytes);
        if (disk.owned && disk.hash == hash)
            return;
        Folders::Ensure(Folders::DataFolder());
        if (WriteWholeFile(path, bytes))
            disk = {true, hash};
    };
    update(DefaultListPath(), files.list, m_listOnDisk);
    update(PlayedListPath(), files.played, m_playedOnDisk);
}

void Playlist::SaveResumeValues(int32_t positionMs) {
    // Nothing open (as before the start-up restored the list): the stored values stand.
    if (m_current.path.empty() || !On(m_profile, kResume) ||
        (m_current.path == m_resumePath && m_curIndex == m_resumeIndex))
        return;
    m_resumePath = m_current.path;
    m_resumeIndex = m_curIndex;
    Settings::Set(m_profile, kCurPlayFilePath, m_resumePath);
    Settings::Set(m_profile, kCurPlayPos, positionMs);
    Settings::Set(m_profile, kCurIndex, m_resumeIndex);
}

void Playlist::Notify(UiText text) {
    m_notices.push_back(std::move(text));
}

void Playlist::ShowNotices() {
    for (const UiText& text : std::exchange(m_notices, {}))
        m_host.MessageBox(text, UI_TEXT("Playlist", "Sonvale Error"), PlaylistHost::Box::Error);
}

UiText Playlist::DamagedText(const std::u16string& path, bool saved) const {
    if (saved)
        return UI_TEXT("Playlist", "The saved playlist is damaged. What could be read of it (%1 "
                                   "entries) is kept; the damaged file was saved as \"%2\".")
            .With(Count())
            .With(path);
    return UI_TEXT("Playlist",
                   "The playlist file \"%1\" is damaged; only %2 entries could be read from it.")
        .With(path)
        .With(Count());
}

UiText Playlist::LeftOutText(int leftOut) const {
    return UI_TEXT("Playlist", "A playlist holds at most 9999 entries; %1 entries were left out.")
        .With(leftOut);
}

bool Playlist::Missing(int index) {
    if (index < 0 || index >= Count())
        return false;
    PlaylistEntry& entry = m_entries[static_cast<size_t>(index)];
    if (entry.Missing() && !Unplayable(entry.Path(), entry.Extension()))
        entry.SetMissing(false);
    return entry.Missing();
}

void Playlist::MarkMissing() {
    for (PlaylistEntry& entry : m_entries)
        entry.SetMissing(Unplayable(entry.Path(), entry.Extension()));
}

bool Playlist::Unplayable(std::u16string_view path, std::u16string_view extension) const {
    const std::u16string ext = EntryTags::Lower(extension);
    return (!m_wmaAvailable && (ext == u".wma" || ext == u".asf")) ||
           !IsPlayable(std::u16string(path));
}

std::u16string Playlist::DefaultListPath() {
    return TextCodec::Utf8ToUtf16(Folders::DataFolder() + "/playlist.wpl");
}

std::u16string Playlist::PlayedListPath() {
    return TextCodec::Utf8ToUtf16(Folders::DataFolder() + "/shuffle.lst");
}

std::u16string Playlist::DamagedListPath() {
    return DefaultListPath() + u".bad";
}

void Playlist::PlaylistRestore() {
    m_restoring = true;
    const bool resume = On(m_profile, kResume) || m_restarted;
    const std::u16string resumePath =
        resume ? m_profile.GetProfileString(kSettings, kCurPlayFilePath.name, u"") : u"";
    const int32_t savedIndex =
        resume ? m_profile.GetProfileInt(kSettings, kCurIndex.name, m_curIndex) : 0;

    // Opens (and plays) the saved track, or the first entry.
    bool started = false;
    bool waiting = false;
    const auto startTrack = [&] {
        started = true;
        if (resume) {
            m_curPlayPos = m_profile.GetProfileInt(kSettings, kCurPlayPos.name, m_curPlayPos);
            m_curIndex = savedIndex;
            m_resumePath = resumePath;
            m_resumeIndex = m_curIndex;
            if (const std::optional<FileInfo> entry = EntryAt(m_curIndex)) {
                m_current = *entry;
                if (entry->path != resumePath)
                    m_curPlayPos = m_curIndex = 0;
            }
        } else {
            m_curPlayPos = m_curIndex = 0;
        }

        if (Count() > 1)
            m_listMode = true;
        if (m_curIndex >= 0 && m_curIndex < Count()) {
            // Of the files, only the track's is looked at before it plays.
            PlaylistEntry& track = m_entries[static_cast<size_t>(m_curIndex)];
            m_current = track.Info();
            track.SetMissing(Unplayable(m_current.path, m_current.ext));
            m_current.missing = track.Missing();
            m_host.ShowTitle(m_current.name);
            if (m_host.OpenCurrent()) {
                if (m_curPlayPos != 0)
                    m_host.Seek(m_curPlayPos);
                const bool play =
                    m_restarted ? m_playAfterRestart : Settings::Get(m_profile, kPlayOnStart) == 1;
                if (play)
                    m_host.Play();
            }
        }
    };

    const std::u16string listPath = DefaultListPath();
    m_savedListFound = IsFile(listPath);
    // The file's bytes go once the list is read.
    if (std::string fileBytes; m_savedListFound && ReadWholeFile(listPath, fileBytes)) {
        // The track starts as soon as the list holds it (and a second entry, which tells the
        // track it is one of several), before the rest of a long list is read; the files are
        // looked at once it plays.
        // The wait (its cursor, the window's first paint) comes after the track started, for
        // the rest of the read.
        const int readyAt = std::max(savedIndex, 1) + 1;
        const LoadResult result = LoadListBytes(fileBytes, false, readyAt, [&] {
            startTrack();
            m_host.BeginWait();
            waiting = true;
        });
        // The files stay on disk while the program runs and are written again when the list
        // changes; a file that gave no entry stays as it is. A damaged list is kept aside
        // before anything replaces it.
        m_listOnDisk = {!m_entries.empty(), Hash(fileBytes)};
        if (result.damaged) {
            const bool kept = WriteWholeFile(DamagedListPath(), fileBytes);
            Notify(kept ? DamagedText(DamagedListPath(), true) : DamagedText(listPath, false));
        }
        if (result.leftOut > 0)
            Notify(LeftOutText(result.leftOut));
    }
    if (!m_entries.empty()) {
        if (!started)
            startTrack();
        MarkMissing();
        // The played list names entries of the whole list: it is read once the list is, and the
        // track goes after what it holds.
        if (On(m_profile, kShuffle)) {
            std::string played;
            if (ReadWholeFile(PlayedListPath(), played)) {
                LoadPlayedBytes(played);
                m_playedOnDisk = {true, Hash(played)};
            }
            if (m_curIndex >= 0 && m_curIndex < Count())
                AddPlayed(PathAt(m_curIndex), m_curIndex);
        }
    }
    SetRestartFlags(false, false);
    m_restoring = false;
    if (waiting)
        m_host.EndWait();
}

void Playlist::PlaylistStore(int32_t positionMs) {
    if (On(m_profile, kResume)) {
        m_resumePath = m_current.path;
        m_resumeIndex = m_curIndex;
        Settings::Set(m_profile, kCurPlayFilePath, m_current.path);
        Settings::Set(m_profile, kCurPlayPos, positionMs);
        Settings::Set(m_profile, kCurIndex, m_curIndex);
    } else {
        Settings::Set(m_profile, kCurPlayPos, 0);
        Settings::Set(m_profile, kCurIndex, 0);
    }

    if (!m_current.name.empty() && !m_current.path.empty() && !m_current.ext.empty())
        Append(m_current);

    m_lastChanges = 0; // write what differs from the disk, whatever was seen before
    if (std::optional<ListFiles> files = ChangedLists())
        WriteLists(std::move(*files));
}

bool Playlist::FillEntryTags(const std::u16string& path, TagInfo& info) const {
    return EntryTags::Fill(path, info, m_library);
}

bool Playlist::IsPlayable(const std::u16string& path) {
    return StreamAddress::HasScheme(path) || IsFile(path);
}

bool Playlist::SamePath(const FileInfo& a, const FileInfo& b) {
    return SamePath(a.path, b.path);
}

bool Playlist::SamePath(std::u16string_view a, std::u16string_view b) {
    return EntryTags::Lower(a) == EntryTags::Lower(b);
}

std::u16string Playlist::EntryLabel(const FileInfo& entry, bool useTitle, bool showArtist) {
    const std::u16string& base = useTitle ? entry.title : entry.name;
    if (showArtist && !entry.artist.empty())
        return u"<" + entry.artist + u"> " + base;
    return base;
}

int32_t Playlist::Random31() {
    const int r1 = std::rand();
    const int r2 = std::rand();
    const int r3 = std::rand();
    return static_cast<int32_t>((r1 & 0xFFF) | ((r2 & 0xFFF) << 12) | ((r3 & 0x7F) << 24));
}

int Playlist::Pick(int m) {
    int r = Random31() % m;
    if (r < m - 1)
        r = Random31() % m;
    else
        r = m - 1;
    return r;
}

bool Playlist::InPlayed(std::u16string_view path) const {
    const auto [first, last] = m_playedIndex.equal_range(std::hash<std::u16string_view>{}(path));
    return std::any_of(first, last,
                       [&](const auto& item) { return m_played.At(item.second) == path; });
}

void Playlist::AddPlayed(std::u16string_view path, int row) {
    if (InPlayed(path))
        return;
    m_playedIndex.emplace(std::hash<std::u16string_view>{}(path), m_played.Size());
    m_played.Push(path, row);
    ++m_changes;
}

void Playlist::ClearPlayed() {
    m_played.Clear();
    m_played.ShrinkToFit();
    m_playedIndex = {};
    ++m_changes;
}

void Playlist::MoveTo(int index) {
    m_prevIndex = m_curIndex;
    m_curIndex = index;
}

bool Playlist::StepToFavorite(int step, bool wrapBackward) {
    const int count = Count();
    int index = m_curIndex;
    for (int tries = 0; tries < count; ++tries) {
        index += step;
        if (index >= count)
            index = 0;
        else if (index < 0)
            index = wrapBackward ? count - 1 : 0;
        if (m_entries[static_cast<size_t>(index)].Favorite() == 1) {
            MoveTo(index);
            return true;
        }
    }
    return false;
}

// When no entry satisfies the shuffle rules the cycle is over: the next entry in order starts
// a new one.
void Playlist::NextInOrder() {
    const int index = m_curIndex + 1 >= Count() || m_curIndex + 1 < 0 ? 0 : m_curIndex + 1;
    ClearPlayed();
    if (index < Count())
        AddPlayed(PathAt(index), index);
    MoveTo(index);
}

void Playlist::ShuffleFavorites() {
    const size_t count = m_entries.size();
    const int favorites = FavoriteCount();
    const size_t played = static_cast<size_t>(m_played.Size());
    if (played >= count || played >= static_cast<size_t>(favorites))
        ClearPlayed();
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    auto accept = [&](int k, int& index) {
        const std::u16string path(FavoritePath(k));
        index = IndexOfExact(path);
        return index != m_curIndex && index != m_prevIndex && !InPlayed(path);
    };
    int first = -1;
    int index = 0;
    for (int k = 0; k < favorites && first < 0; ++k)
        if (accept(k, index))
            first = k;
    if (first < 0) {
        NextInOrder();
        return;
    }
    int k = first;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        const int candidate = Pick(favorites);
        if (accept(candidate, index)) {
            k = candidate;
            break;
        }
    }
    accept(k, index);
    AddPlayed(FavoritePath(k), index < Count() ? index : -1);
    MoveTo(index);
}

void Playlist::ShuffleAll() {
    const int count = Count();
    if (m_played.Size() == count)
        ClearPlayed();

    auto accept = [&](int n) {
        return n != m_curIndex && n != m_prevIndex &&
               !InPlayed(m_entries[static_cast<size_t>(n)].Path());
    };
    int first = -1;
    for (int n = 0; n < count && first < 0; ++n)
        if (accept(n))
            first = n;
    if (first < 0) {
        NextInOrder();
        return;
    }
    int n = first;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        const int candidate = Pick(count);
        if (accept(candidate)) {
            n = candidate;
            break;
        }
    }
    AddPlayed(PathAt(n), n);
    MoveTo(n);
}

void Playlist::PickNextEntry(int step) {
    const int count = Count();
    const bool favorites = On(m_profile, kEnableFavorites);
    const int favoriteCount = FavoriteCount();
    if (On(m_profile, kShuffle) && count > 2) {
        if (step < 1) {
            std::swap(m_curIndex, m_prevIndex);
        } else if (favorites && favoriteCount > 0 && favoriteCount < 3) {
            if (!StepToFavorite(step, false))
                NextInOrder();
        } else if (favorites && favoriteCount >= 3) {
            ShuffleFavorites();
        } else {
            ShuffleAll();
        }
        return;
    }
    if (favorites && favoriteCount > 0 && StepToFavorite(step, true))
        return;
    MoveTo(m_curIndex + step);
}
