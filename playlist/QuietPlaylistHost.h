#pragma once

#include "playlist/PlaylistHost.h"

// A host for a list read or edited aside from the player (a page that checks an address, a tool):
// it shows nothing, plays nothing and answers every question with No.
class QuietPlaylistHost : public PlaylistHost {
public:
    bool MessageBox(const UiText&, const UiText&, Box) override { return false; }
    void ShowTitle(const std::u16string&) override {}
    void ShowTrackNumber(int) override {}
    void BeginWait() override {}
    void EndWait() override {}
    bool MoveToTrash(const std::u16string&) override { return false; }
    bool OpenCurrent() override { return false; }
    void Seek(int32_t) override {}
    void Play() override {}
    bool IsPlaying() override { return false; }
    void Stop() override {}
    bool StepTrack(int) override { return false; }
};
