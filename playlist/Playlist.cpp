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
#include <iterator>
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
    std::ifstream in(Native(path), std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

const FileInfo* Playlist::EntryAt(int index) const {
    return index >= 0 && index < Count() ? &m_entries[static_cast<size_t>(index)] : nullptr;
}

bool Playlist::Contains(const std::u16string& path) const {
    const std::u16string lower = EntryTags::Lower(path);
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const FileInfo& entry) {
        return EntryTags::Lower(entry.path) == lower;
    });
}

bool Playlist::Append(const FileInfo& entry) {
    if (Count() >= kMaxEntries || Contains(entry.path))
        return false;
    m_entries.push_back(entry);
    ++m_changes;
    return true;
}

int Playlist::IndexOfExact(const std::u16string& path) const {
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&](const FileInfo& entry) { return entry.path == path; });
    return static_cast<int>(found - m_entries.begin());
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
    m_favorites.clear();
    ++m_changes;
    // The paths already listed, in lower case, so that a long file loads in linear time.
    std::unordered_set<std::u16string> listed;
    std::unordered_set<std::u16string> favorites;
    for (const FileInfo& entry : m_entries)
        listed.insert(EntryTags::Lower(entry.path));
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
        std::u16string lower = EntryTags::Lower(entry.path);
        if (entry.path.empty() || listed.count(lower) != 0)
            continue;
        if (Count() >= kMaxEntries) {
            ++result.leftOut;
            listed.insert(std::move(lower));
            continue;
        }
        // An entry whose file is not there now (a card taken out, a file moved away for a
        // while), or that can't be played here (WMA without its decoder), stays in the list;
        // playing steps over it.
        entry.missing = checkFiles && Unplayable(entry);
        listed.insert(std::move(lower));
        if (entry.title.empty())
            entry.title = entry.name;
        if (entry.favorite == 1 && favorites.insert(entry.path).second)
            m_favorites.push_back(entry.path);
        m_entries.push_back(std::move(entry));
        if (ready && Count() == readyAt)
            ready();
    }
    if (archive.Remaining() != 0)
        result.damaged = true;
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
    for (const FileInfo& entry : m_entries)
        size += EntrySize(entry);
    Archive archive;
    archive.Reserve(size);
    archive.WriteInt32(Count() + (withCurrent ? 1 : 0));
    for (const FileInfo& entry : m_entries)
        WriteEntry(archive, entry);
    if (withCurrent)
        WriteEntry(archive, m_current);
    return archive.Bytes();
}

bool Playlist::PlaylistSave(const std::u16string& path) const {
    Archive archive;
    archive.WriteInt32(Count());
    for (const FileInfo& entry : m_entries)
        WriteEntry(archive, entry);
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
    Archive archive(bytes);
    int32_t count = 0;
    if (!archive.ReadInt32(count))
        count = 0;
    for (int32_t i = 0; i < count; ++i) {
        std::u16string played;
        if (!archive.ReadString(played))
            break;
        AddPlayed(played);
    }
}

std::string Playlist::PlayedBytes() const {
    Archive archive;
    archive.WriteInt32(static_cast<int32_t>(m_played.size()));
    for (const std::u16string& played : m_played)
        archive.WriteString(played);
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
    if (shuffle && !m_played.empty())
        files.played = PlayedBytes();
    return files;
}

void Playlist::WriteLists(const ListFiles& files) {
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
    FileInfo& entry = m_entries[static_cast<size_t>(index)];
    if (entry.missing && !Unplayable(entry))
        entry.missing = false;
    return entry.missing;
}

void Playlist::MarkMissing() {
    for (FileInfo& entry : m_entries)
        entry.missing = Unplayable(entry);
}

bool Playlist::Unplayable(const FileInfo& entry) const {
    const std::u16string ext = EntryTags::Lower(entry.ext);
    return (!m_wmaAvailable && (ext == u".wma" || ext == u".asf")) || !IsPlayable(entry.path);
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
    m_host.BeginWait();
    m_restoring = true;
    const bool resume = On(m_profile, kResume) || m_restarted;
    const std::u16string resumePath =
        resume ? m_profile.GetProfileString(kSettings, kCurPlayFilePath.name, u"") : u"";
    const int32_t savedIndex =
        resume ? m_profile.GetProfileInt(kSettings, kCurIndex.name, m_curIndex) : 0;

    // Opens (and plays) the saved track, or the first entry.
    bool started = false;
    const auto startTrack = [&] {
        started = true;
        const bool shuffle = On(m_profile, kShuffle);
        std::string played;
        if (shuffle && ReadWholeFile(PlayedListPath(), played)) {
            LoadPlayedBytes(played);
            m_playedOnDisk = {true, Hash(played)};
        }

        if (resume) {
            m_curPlayPos = m_profile.GetProfileInt(kSettings, kCurPlayPos.name, m_curPlayPos);
            m_curIndex = savedIndex;
            m_resumePath = resumePath;
            m_resumeIndex = m_curIndex;
            if (const FileInfo* entry = EntryAt(m_curIndex)) {
                m_current = *entry;
                if (entry->path != resumePath)
                    m_curPlayPos = m_curIndex = 0;
            }
        } else {
            m_curPlayPos = m_curIndex = 0;
        }

        const FileInfo* entry = EntryAt(m_curIndex);
        if (shuffle && entry)
            AddPlayed(entry->path);
        if (Count() > 1)
            m_listMode = true;
        if (entry) {
            // Of the files, only the track's is looked at before it plays.
            FileInfo& track = m_entries[static_cast<size_t>(m_curIndex)];
            track.missing = Unplayable(track);
            m_current = track;
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
    std::string bytes;
    m_savedListFound = IsFile(listPath);
    if (m_savedListFound && ReadWholeFile(listPath, bytes)) {
        // The track starts as soon as the list holds it (and a second entry, which tells the
        // track it is one of several), before the rest of a long list is read; the files are
        // looked at once it plays.
        const int readyAt = std::max(savedIndex, 1) + 1;
        const LoadResult result = LoadListBytes(bytes, false, readyAt, startTrack);
        // The files stay on disk while the program runs and are written again when the list
        // changes; a file that gave no entry stays as it is. A damaged list is kept aside
        // before anything replaces it.
        m_listOnDisk = {!m_entries.empty(), Hash(bytes)};
        if (result.damaged) {
            const bool kept = WriteWholeFile(DamagedListPath(), bytes);
            Notify(kept ? DamagedText(DamagedListPath(), true) : DamagedText(listPath, false));
        }
        if (result.leftOut > 0)
            Notify(LeftOutText(result.leftOut));
    }
    if (!m_entries.empty()) {
        if (!started)
            startTrack();
        MarkMissing();
    }
    SetRestartFlags(false, false);
    m_restoring = false;
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
    if (const std::optional<ListFiles> files = ChangedLists())
        WriteLists(*files);
}

bool Playlist::FillEntryTags(const std::u16string& path, TagInfo& info) const {
    return EntryTags::Fill(path, info, m_library);
}

bool Playlist::IsPlayable(const std::u16string& path) {
    return StreamAddress::HasScheme(path) || IsFile(path);
}

bool Playlist::SamePath(const FileInfo& a, const FileInfo& b) {
    return EntryTags::Lower(a.path) == EntryTags::Lower(b.path);
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

bool Playlist::InPlayed(const std::u16string& path) {
    if (m_playedIndexStale) {
        m_playedIndex = {m_played.begin(), m_played.end()};
        m_playedIndexStale = false;
    }
    return m_playedIndex.count(path) != 0;
}

void Playlist::AddPlayed(const std::u16string& path) {
    if (InPlayed(path))
        return;
    m_played.push_back(path);
    m_playedIndex.insert(path);
    ++m_changes;
}

void Playlist::ClearPlayed() {
    m_played.clear();
    m_playedIndex.clear();
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
        if (m_entries[static_cast<size_t>(index)].favorite == 1) {
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
    if (const FileInfo* entry = EntryAt(index))
        AddPlayed(entry->path);
    MoveTo(index);
}

void Playlist::ShuffleFavorites() {
    const size_t count = m_entries.size();
    const int favorites = static_cast<int>(m_favorites.size());
    if (m_played.size() >= count || m_played.size() >= m_favorites.size())
        ClearPlayed();
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    auto accept = [&](int k, int& index) {
        const std::u16string& path = m_favorites[static_cast<size_t>(k)];
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
    AddPlayed(m_favorites[static_cast<size_t>(k)]);
    MoveTo(index);
}

void Playlist::ShuffleAll() {
    const int count = Count();
    if (m_played.size() == m_entries.size())
        ClearPlayed();

    auto accept = [&](int n) {
        return n != m_curIndex && n != m_prevIndex &&
               !InPlayed(m_entries[static_cast<size_t>(n)].path);
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
    AddPlayed(m_entries[static_cast<size_t>(n)].path);
    MoveTo(n);
}

void Playlist::PickNextEntry(int step) {
    const int count = Count();
    const bool favorites = On(m_profile, kEnableFavorites);
    const size_t favoriteCount = m_favorites.size();
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
