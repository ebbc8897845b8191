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

using namespace setting;

namespace {

std::filesystem::path Native(const std::u16string& path) {
    return std::filesystem::path(TextCodec::Utf16ToUtf8(path));
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'/');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

bool SamePathIn(const std::vector<FileInfo>& list, const FileInfo& entry) {
    return std::any_of(list.begin(), list.end(),
                       [&](const FileInfo& other) { return Playlist::SamePath(other, entry); });
}

} // namespace

void MediaOpener::ScanFolder(const std::u16string& folder, bool recurse,
                             std::vector<FileInfo>& list) {
    std::u16string base = folder;
    if (!base.empty() && base.back() != u'/')
        base += u'/';
    std::error_code ec;
    std::filesystem::directory_iterator it(Native(base), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::directory_entry& item = *it;
        const std::u16string name = TextCodec::Utf8ToUtf16(item.path().filename().string());
        std::error_code typeError;
        if (item.is_directory(typeError)) {
            // A linked folder could lead back into its own tree.
            if (recurse && !item.is_symlink(typeError))
                ScanFolder(base + name + u"/", true, list);
            continue;
        }
        if (!item.is_regular_file(typeError) || name.size() < 4)
            continue;
        const std::u16string lower = EntryTags::Lower(name);
        const std::u16string ext = lower.substr(lower.size() - 4);
        const bool wma = ext == u".wma" || ext == u".asf";
        if (ext != u".mp3" && ext != u".ogg" && ext != u".wav" &&
            !(wma && m_playlist.WmaAvailable()))
            continue;

        FileInfo entry;
        entry.name = lower.substr(0, lower.find_last_of(u'.'));
        // The name keeps its real case in the path: file names are case-sensitive here.
        entry.path = base + name;
        entry.ext = ext;
        entry.title = entry.name;
        if (SamePathIn(list, entry) || list.size() >= static_cast<size_t>(Playlist::kMaxEntries))
            continue;
        if (ext == u".mp3" || ext == u".ogg") {
            TagInfo info;
            if (m_playlist.FillEntryTags(entry.path, info)) {
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
    host.BeginWait();
    m_playlist.SetCurIndex(0);
    m_playlist.PlayedList().clear();
    m_playlist.Entries().clear();

    if (selection.size() == 1) {
        ResetCurrentTo(selection[0]);
        Settings::Set(profile, kLastPath, FolderOf(selection[0]));
    } else {
        const std::u16string& folder = selection[0];
        Settings::Set(profile, kLastPath, folder);
        for (size_t i = 1; i < selection.size(); ++i) {
            const std::u16string path =
                folder + (folder.ends_with(u'/') ? u"" : u"/") + selection[i];
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
    if (const FileInfo* entry = m_playlist.EntryAt(m_playlist.CurIndex()))
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
    m_playlist.PlayedList().clear();
    m_playlist.Favorites().clear();
    m_playlist.Entries() = std::move(found);
    m_playlist.Current().Reset();
    m_playlist.SetCurIndex(0);
    m_playlist.SetPrevIndex(0);
    m_playlist.SetListMode(m_playlist.Count() >= 2);
    if (m_playlist.ListMode())
        host.ShowTrackNumber(1);
    m_playlist.Current() = m_playlist.Entries().front();
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
    m_playlist.PlayedList().clear();
    m_playlist.Entries().clear();
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
    std::vector<FileInfo>& entries = m_playlist.Entries();
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const FileInfo& other) {
        return Playlist::SamePath(other, entry);
    });
    if (found != entries.end())
        entries.erase(found);
    if (entries.size() == 1)
        m_playlist.SetListMode(false);
    const int index = m_playlist.IndexOfExact(m_playlist.Current().path);
    if (index != m_playlist.CurIndex()) {
        m_playlist.SetCurIndex(index);
        m_playlist.Host().ShowTrackNumber(index + 1);
    }
}
