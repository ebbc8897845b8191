#include "playlist/MediaOpener.h"

#include "app/Settings.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "playlist/EntryTags.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistHost.h"
#include "playlist/StreamAddress.h"

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

bool SamePathIn(const std::vector<_SFileInfo>& list, const _SFileInfo& entry) {
    return std::any_of(list.begin(), list.end(),
                       [&](const _SFileInfo& other) { return Playlist::SamePath(other, entry); });
}

} // namespace

void MediaOpener::ScanFolder(const std::u16string& folder, bool recurse,
                             std::vector<_SFileInfo>& list) {
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

        _SFileInfo entry;
        entry.strName = lower.substr(0, lower.find_last_of(u'.'));
        // The name keeps its real case in the path: file names are case-sensitive here.
        entry.strPath = base + name;
        entry.strExt = ext;
        entry.strTitle = entry.strName;
        if (SamePathIn(list, entry) || list.size() >= static_cast<size_t>(Playlist::kMaxEntries))
            continue;
        if (ext == u".mp3" || ext == u".ogg") {
            TagInfo info;
            if (m_playlist.FillEntryTags(entry.strPath, info)) {
                entry.strTitle = info.title;
                entry.strArtist = info.artist;
                entry.strAlbum = info.album;
                // Without a tag title the name stands in, as strName has it.
                if (entry.strTitle.empty() || entry.strTitle == EntryTags::Stem(name))
                    entry.strTitle = entry.strName;
            }
        }
        list.push_back(entry);
    }
}

void MediaOpener::ResetCurrentTo(const std::u16string& path) {
    _SFileInfo& current = m_playlist.Current();
    current.Reset();
    current.strPath = path;
    current.strName = EntryTags::Stem(path);
    current.strExt = EntryTags::Extension(path);
    if (current.strExt != u".wpl") {
        TagInfo info;
        m_playlist.FillEntryTags(path, info);
        current.strTitle = info.title;
        current.strArtist = info.artist;
        current.strAlbum = info.album;
    }
    if (current.strTitle.empty())
        current.strTitle = current.strName;
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
            _SFileInfo entry;
            entry.strPath = path;
            entry.strName = EntryTags::Stem(path);
            entry.strExt = EntryTags::Extension(path);
            entry.strTitle = info.title;
            entry.strArtist = info.artist;
            entry.strAlbum = info.album;
            if (entry.strTitle.empty())
                entry.strTitle = entry.strName;
            m_playlist.Append(entry);
        }
    }

    m_playlist.SetListMode(m_playlist.Count() > 1);
    if (const _SFileInfo* entry = m_playlist.EntryAt(m_playlist.CurIndex()))
        m_playlist.Current() = *entry;
    if (selection.size() == 1 || m_playlist.Count() > 0) {
        if (m_playlist.Current().strExt != u".wpl")
            host.ShowTitle(m_playlist.Current().strName);
        OpenAndPlay(true);
    }
    host.EndWait();
}

bool MediaOpener::ScanAndOpen(const std::u16string& folder, bool recurse, bool play) {
    std::vector<_SFileInfo> found;
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
    host.ShowTitle(m_playlist.Current().strName);
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
    _SFileInfo& current = m_playlist.Current();
    current.Reset();
    current.strName = current.strPath = current.strTitle = url;
    current.strExt = u".url";
    OpenAndPlay(true);
    host.EndWait();
    return true;
}

bool MediaOpener::DeleteCurrentFile() {
    if (m_deleting || m_playlist.Current().strPath.empty())
        return false;
    PlaylistHost& host = m_playlist.Host();
    const _SFileInfo victim = m_playlist.Current();
    const bool korean = host.Korean();
    std::u16string text = korean
                              ? u"지정된 파일(" + victim.strPath + u")을 삭제하시겠습니까?"
                              : u"Do you really want to delete file \"" + victim.strPath + u"\" ?";
    if (!host.MessageBox(text, u"Sonvale", PlaylistHost::Box::Question))
        return false;

    m_deleting = true;
    host.BeginWait();
    const bool wasPlaying = host.IsPlaying();
    if (wasPlaying)
        host.Stop();
    bool deleted = false;
    if (host.StepTrack(+1)) {
        RemoveEntry(victim);
        std::error_code ec;
        deleted = std::filesystem::remove(Native(victim.strPath), ec);
    }
    if (wasPlaying)
        host.Play();
    host.EndWait();
    m_deleting = false;
    return deleted;
}

void MediaOpener::RemoveEntry(const _SFileInfo& entry) {
    std::vector<_SFileInfo>& entries = m_playlist.Entries();
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const _SFileInfo& other) {
        return Playlist::SamePath(other, entry);
    });
    if (found != entries.end())
        entries.erase(found);
    if (entries.size() == 1)
        m_playlist.SetListMode(false);
    const int index = m_playlist.IndexOfExact(m_playlist.Current().strPath);
    if (index != m_playlist.CurIndex()) {
        m_playlist.SetCurIndex(index);
        m_playlist.Host().ShowTrackNumber(index + 1);
    }
}
