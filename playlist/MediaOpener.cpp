#include "playlist/MediaOpener.h"

#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "playlist/EntryTags.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistHost.h"
#include "playlist/StreamAddress.h"
#include "settings/Settings.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

using namespace setting;

namespace {

std::filesystem::path Native(const std::u16string& path) {
    return std::filesystem::path(TextCodec::Utf16ToUtf8(path));
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'/');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

bool IsFolder(const std::u16string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(Native(path), ec);
}

// Names compared as people count: runs of digits by their value, letters without case.
bool NaturalLess(const std::u16string& a, const std::u16string& b) {
    auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            size_t endA = i, endB = j;
            while (endA < a.size() && a[endA] == u'0')
                ++endA;
            while (endB < b.size() && b[endB] == u'0')
                ++endB;
            size_t startA = endA, startB = endB;
            while (endA < a.size() && digit(a[endA]))
                ++endA;
            while (endB < b.size() && digit(b[endB]))
                ++endB;
            if (endA - startA != endB - startB)
                return endA - startA < endB - startB;
            for (; startA < endA; ++startA, ++startB)
                if (a[startA] != b[startB])
                    return a[startA] < b[startB];
            i = endA;
            j = endB;
            continue;
        }
        if (lower(a[i]) != lower(b[j]))
            return lower(a[i]) < lower(b[j]);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return j < b.size();
    return a < b; // equal but for case or leading zeros: a fixed order
}

struct Scan {
    bool wma = false;
    std::function<bool(const std::u16string& path, TagInfo& info)> fillTags;
    std::function<bool(size_t found)> keepGoing;
    std::unordered_set<std::u16string> seen; // the lower-case paths in the list
};

// Returns false when the scan was stopped.
bool ScanInto(const std::u16string& folder, bool recurse, Scan& scan, std::vector<FileInfo>& list) {
    std::u16string base = folder;
    if (!base.empty() && base.back() != u'/')
        base += u'/';
    std::vector<std::u16string> files, folders;
    std::error_code ec;
    std::filesystem::directory_iterator it(Native(base), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::directory_entry& item = *it;
        const std::u16string name = TextCodec::Utf8ToUtf16(item.path().filename().string());
        std::error_code typeError;
        if (item.is_directory(typeError)) {
            // A linked folder could lead back into its own tree.
            if (recurse && !item.is_symlink(typeError))
                folders.push_back(name);
        } else if (item.is_regular_file(typeError)) {
            files.push_back(name);
        }
    }
    // By name as people count (track2 before track10); a folder's own files before those of
    // its subfolders.
    std::sort(files.begin(), files.end(), NaturalLess);
    std::sort(folders.begin(), folders.end(), NaturalLess);

    for (const std::u16string& name : files) {
        if (scan.keepGoing && !scan.keepGoing(list.size()))
            return false;
        const std::u16string lower = EntryTags::Lower(name);
        const size_t dot = lower.find_last_of(u'.');
        if (dot == std::u16string::npos || dot == 0)
            continue;
        const std::u16string ext = lower.substr(dot);
        const bool wma = ext == u".wma" || ext == u".asf";
        if (ext != u".mp3" && ext != u".mp2" && ext != u".ogg" && ext != u".wav" &&
            !(wma && scan.wma))
            continue;

        FileInfo entry;
        entry.name = lower.substr(0, dot);
        // The name keeps its real case in the path: file names are case-sensitive here.
        entry.path = base + name;
        entry.ext = ext;
        entry.title = entry.name;
        if (list.size() >= static_cast<size_t>(Playlist::kMaxEntries) ||
            !scan.seen.insert(EntryTags::Lower(entry.path)).second)
            continue;
        if (ext == u".mp3" || ext == u".mp2" || ext == u".ogg") {
            TagInfo info;
            if (scan.fillTags(entry.path, info)) {
                entry.title = info.title;
                entry.artist = info.artist;
                entry.album = info.album;
                // Without a tag title the name stands in, as the name field has it.
                if (entry.title.empty() || entry.title == EntryTags::Stem(name))
                    entry.title = entry.name;
            }
        }
        list.push_back(entry);
    }
    for (const std::u16string& name : folders)
        if (!ScanInto(base + name + u"/", true, scan, list))
            return false;
    return true;
}

} // namespace

void MediaOpener::ScanFolder(const std::u16string& folder, bool recurse,
                             std::vector<FileInfo>& list) {
    Scan scan;
    scan.wma = m_playlist.WmaAvailable();
    scan.fillTags = [this](const std::u16string& path, TagInfo& info) {
        return m_playlist.FillEntryTags(path, info);
    };
    for (const FileInfo& entry : list)
        scan.seen.insert(EntryTags::Lower(entry.path));
    ScanInto(folder, recurse, scan, list);
}

void MediaOpener::ScanFolderAside(const std::u16string& folder, bool recurse, bool wma,
                                  std::vector<FileInfo>& list,
                                  const std::function<bool(size_t found)>& keepGoing) {
    Scan scan;
    scan.wma = wma;
    scan.fillTags = [](const std::u16string& path, TagInfo& info) {
        return EntryTags::Fill(path, info, nullptr);
    };
    scan.keepGoing = keepGoing;
    for (const FileInfo& entry : list)
        scan.seen.insert(EntryTags::Lower(entry.path));
    ScanInto(folder, recurse, scan, list);
}

void MediaOpener::ResetCurrentTo(const std::u16string& path) {
    FileInfo& current = m_playlist.Current();
    current.Reset();
    current.path = path;
    current.name = EntryTags::Stem(path);
    current.ext = EntryTags::Extension(path);
    if (current.ext != u".wpl") {
        TagInfo info;
        m_playlist.FillEntryTags(path, info);
        current.title = info.title;
        current.artist = info.artist;
        current.album = info.album;
    }
    if (current.title.empty())
        current.title = current.name;
}

void MediaOpener::OpenAndPlay(bool play) {
    PlaylistHost& host = m_playlist.Host();
    if (host.OpenCurrent() && play)
        host.Play();
}

void MediaOpener::OpenFiles(const std::vector<std::u16string>& selection) {
    if (selection.empty())
        return;
    PlaylistHost& host = m_playlist.Host();
    Profile& profile = m_playlist.SettingsProfile();
    Settings::Set(profile, kLastPath, FolderOf(selection[0]));
    if (selection.size() == 1 && IsFolder(selection[0])) {
        ScanAndOpen(selection[0], Settings::Get(profile, kOpenSubFolder) == 1, true);
        return;
    }
    host.BeginWait();
    m_playlist.SetCurIndex(0);
    m_playlist.ClearPlayed();
    m_playlist.Clear();

    if (selection.size() == 1) {
        ResetCurrentTo(selection[0]);
    } else {
        const bool recurse = Settings::Get(profile, kOpenSubFolder) == 1;
        for (const std::u16string& path : selection) {
            if (IsFolder(path)) {
                std::vector<FileInfo> found;
                ScanFolder(path, recurse, found);
                for (const FileInfo& entry : found)
                    if (!m_playlist.Contains(entry.path) &&
                        m_playlist.Count() < Playlist::kMaxEntries)
                        m_playlist.Append(entry);
                continue;
            }
            if (EntryTags::Extension(path) == u".wpl") {
                m_playlist.PlaylistLoad(path, true);
                continue;
            }
            if (m_playlist.Contains(path) || m_playlist.Count() >= Playlist::kMaxEntries)
                continue;
            TagInfo info;
            if (!m_playlist.FillEntryTags(path, info))
                continue;
            FileInfo entry;
            entry.path = path;
            entry.name = EntryTags::Stem(path);
            entry.ext = EntryTags::Extension(path);
            entry.title = info.title;
            entry.artist = info.artist;
            entry.album = info.album;
            if (entry.title.empty())
                entry.title = entry.name;
            m_playlist.Append(entry);
        }
    }

    m_playlist.SetListMode(m_playlist.Count() > 1);
    if (const std::optional<FileInfo> entry = m_playlist.EntryAt(m_playlist.CurIndex()))
        m_playlist.Current() = *entry;
    if (selection.size() == 1 || m_playlist.Count() > 0) {
        if (m_playlist.Current().ext != u".wpl")
            host.ShowTitle(m_playlist.Current().name);
        OpenAndPlay(true);
    }
    host.EndWait();
}

bool MediaOpener::ScanAndOpen(const std::u16string& folder, bool recurse, bool play) {
    std::vector<FileInfo> found;
    ScanFolder(folder, recurse, found);
    if (found.empty())
        return false;
    PlaylistHost& host = m_playlist.Host();
    host.BeginWait();
    m_playlist.ClearPlayed();
    m_playlist.ClearFavorites();
    m_playlist.Assign(found);
    found = {};
    m_playlist.Current().Reset();
    m_playlist.SetCurIndex(0);
    m_playlist.SetPrevIndex(0);
    m_playlist.SetListMode(m_playlist.Count() >= 2);
    if (m_playlist.ListMode())
        host.ShowTrackNumber(1);
    m_playlist.Current() = *m_playlist.EntryAt(0);
    host.ShowTitle(m_playlist.Current().name);
    OpenAndPlay(play);
    host.EndWait();
    return true;
}

void MediaOpener::OpenFolder(const std::u16string& folderBefore) {
    Profile& profile = m_playlist.SettingsProfile();
    const std::u16string folder = Settings::Get(profile, kOpenFolderName);
    if (folder.empty() || folder == folderBefore)
        return;
    ScanAndOpen(folder, Settings::Get(profile, kOpenSubFolder) == 1, true);
}

void MediaOpener::OpenStartupFolder() {
    Profile& profile = m_playlist.SettingsProfile();
    const bool play = m_playlist.Restarted() ? m_playlist.PlayAfterRestart()
                                             : Settings::Get(profile, kPlayOnStart) == 1;
    const std::u16string folder = Settings::Get(profile, kOpenFolderName);
    if (!folder.empty())
        ScanAndOpen(folder, Settings::Get(profile, kOpenSubFolder) == 1, play);
    m_playlist.SetRestartFlags(false, false);
}

void MediaOpener::OpenPath(const std::u16string& path) {
    if (IsFolder(path)) {
        ScanAndOpen(path, Settings::Get(m_playlist.SettingsProfile(), kOpenSubFolder) == 1, true);
        return;
    }
    PlaylistHost& host = m_playlist.Host();
    host.BeginWait();
    ResetCurrentTo(path);
    OpenAndPlay(true);
    host.EndWait();
}

bool MediaOpener::OpenUrl(const std::u16string& address) {
    if (!StreamAddress::IsStream(address))
        return false;
    const std::u16string url = StreamAddress::Normalised(address);
    PlaylistHost& host = m_playlist.Host();
    host.BeginWait();
    m_playlist.SetCurIndex(0);
    m_playlist.ClearPlayed();
    m_playlist.Clear();
    m_playlist.SetListMode(false);
    FileInfo& current = m_playlist.Current();
    current.Reset();
    current.name = current.path = current.title = url;
    current.ext = u".url";
    OpenAndPlay(true);
    host.EndWait();
    return true;
}

bool MediaOpener::DeleteCurrentFile() {
    if (m_deleting || m_playlist.Current().path.empty())
        return false;
    PlaylistHost& host = m_playlist.Host();
    const FileInfo victim = m_playlist.Current();
    const UiText text =
        UI_TEXT("Playlist", "Do you really want to delete file \"%1\" ?").With(victim.path);
    if (!host.MessageBox(text, UI_TEXT("Playlist", "Sonvale"), PlaylistHost::Box::Question))
        return false;

    m_deleting = true;
    host.BeginWait();
    const bool wasPlaying = host.IsPlaying();
    if (wasPlaying)
        host.Stop();
    const bool trashed = host.MoveToTrash(victim.path);
    bool playAgain = wasPlaying;
    if (!trashed) {
        host.MessageBox(UI_TEXT("Playlist", "The file \"%1\" could not be moved to the trash.")
                            .With(victim.path),
                        UI_TEXT("Playlist", "Sonvale Error"), PlaylistHost::Box::Error);
    } else if (m_playlist.Count() > 1) {
        // The file is gone whether or not the next one opens: its entry goes too.
        playAgain = host.StepTrack(+1) && wasPlaying;
        RemoveEntry(victim);
    } else {
        RemoveEntry(victim);
        m_playlist.Current() = FileInfo();
        host.OpenCurrent(); // unloads the trashed file
        host.ShowTitle(u"");
        playAgain = false;
    }
    if (playAgain)
        host.Play();
    host.EndWait();
    m_deleting = false;
    return trashed;
}

void MediaOpener::RemoveEntry(const FileInfo& entry) {
    for (int i = 0; i < m_playlist.Count(); ++i)
        if (Playlist::SamePath(m_playlist.PathAt(i), entry.path)) {
            m_playlist.Erase(i);
            break;
        }
    if (m_playlist.Count() == 1)
        m_playlist.SetListMode(false);
    const int index = m_playlist.IndexOfExact(m_playlist.Current().path);
    if (index != m_playlist.CurIndex()) {
        m_playlist.SetCurIndex(index);
        m_playlist.Host().ShowTrackNumber(index + 1);
    }
}
