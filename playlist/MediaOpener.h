#pragma once

#include "playlist/FileInfo.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class Playlist;

// Fills the playlist from files, folders, a command-line path or a stream address, and deletes
// the current file. The dialogs that come before these steps belong to the view; these take
// their results.
class MediaOpener {
public:
    explicit MediaOpener(Playlist& playlist) : m_playlist(playlist) {}

    // Appends the audio files of `folder` to `list` by name as people count (track2 before
    // track10), then, when `recurse`, those of its subfolders in the same order. Linked folders
    // are not followed.
    void ScanFolder(const std::u16string& folder, bool recurse, std::vector<FileInfo>& list);
    // The same scan for a worker thread: tags come from the files' own tag readers only, and
    // the scan stops early when `keepGoing` (asked with the number found so far after each
    // file and folder) answers false. `wma` says whether ".wma" and ".asf" files count.
    static void ScanFolderAside(const std::u16string& folder, bool recurse, bool wma,
                                std::vector<FileInfo>& list,
                                const std::function<bool(size_t found)>& keepGoing);

    // The result of the "Open Files" dialog, full paths. One file is opened on its own (the list
    // emptied); one folder as Open Folder opens it; several become the list in the order given:
    // files, the audio files of folders ("OpenSubFolder" says whether subfolders count) and the
    // entries of playlist files.
    void OpenFiles(const std::vector<std::u16string>& selection);
    // After the folder page closed with OK; `folderBefore` is "OpenFolderName" as it was before
    // the page was shown. Scans only when the stored folder changed.
    void OpenFolder(const std::u16string& folderBefore);
    // At start-up with "OpenFolderAtStartup" 1.
    void OpenStartupFolder();
    // A path given on the command line: a file, or a folder opened as Open Folder opens one.
    void OpenPath(const std::u16string& path);
    // An address from the URL page: an http:// or https:// stream becomes the only entry. False
    // for any other address.
    bool OpenUrl(const std::u16string& address);
    // Asks, moves the file to the trash, removes its entry and goes on with the next one (a
    // single file leaves nothing loaded). A file that can't be trashed is reported and keeps
    // its entry. False when the user said no or nothing was trashed.
    bool DeleteCurrentFile();
    // Removes the entry with the same path and finds the current entry's index again.
    void RemoveEntry(const FileInfo& entry);

private:
    bool ScanAndOpen(const std::u16string& folder, bool recurse, bool play);
    void ResetCurrentTo(const std::u16string& path);
    void OpenAndPlay(bool play);

    Playlist& m_playlist;
    bool m_deleting = false;
};
