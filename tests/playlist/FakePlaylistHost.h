#pragma once

#include "playlist/PlaylistHost.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Records what the playlist asks of its view; OpenCurrent and StepTrack answer as told.
class FakePlaylistHost : public PlaylistHost {
public:
    struct Message {
        UiText text, caption;
        Box box;
    };

    bool answerYes = true;
    bool openResult = true;
    bool playing = false;
    std::function<bool(int)> onStep = [](int) { return true; };
    std::function<void()> onOpen = [] {};
    std::string trashFolder;

    std::vector<Message> messages;
    std::vector<std::u16string> titles;
    std::vector<int> trackNumbers;
    std::vector<int32_t> seeks;
    int opens = 0, plays = 0, stops = 0, waits = 0, waitEnds = 0;

    bool MessageBox(const UiText& text, const UiText& caption, Box box) override {
        messages.push_back({text, caption, box});
        return answerYes;
    }
    void ShowTitle(const std::u16string& text) override { titles.push_back(text); }
    void ShowTrackNumber(int number) override { trackNumbers.push_back(number); }
    void BeginWait() override { ++waits; }
    void EndWait() override { ++waitEnds; }
    // Trashing moves the file into `trashFolder` (none set: nothing can be trashed).
    bool MoveToTrash(const std::u16string& path) override {
        std::error_code error;
        const std::filesystem::path from(path);
        if (trashFolder.empty())
            return false;
        std::filesystem::rename(from, std::filesystem::path(trashFolder) / from.filename(), error);
        return !error;
    }
    bool OpenCurrent() override {
        ++opens;
        onOpen();
        return openResult;
    }
    void Seek(int32_t ms) override { seeks.push_back(ms); }
    void Play() override {
        ++plays;
        playing = true;
    }
    bool IsPlaying() override { return playing; }
    void Stop() override {
        ++stops;
        playing = false;
    }
    bool StepTrack(int step) override { return onStep(step); }
};
