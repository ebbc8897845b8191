#pragma once

#include "playback/EngineBackend.h"
#include "playback/LibraryBackend.h"
#include "playback/MediaPlayerBackend.h"
#include "playback/PlaybackUi.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A run-time library that answers as told and records what it was asked.
class FakeLibrary : public LibraryBackend {
public:
    bool giveStream = true;
    std::vector<int> openStates{0};          // answered in turn; the last one repeats
    std::map<std::string, int> failingPaths; // path -> error code: opening ends in state -1
    int error = 0;
    int lengthMs = 120000;
    int exactLengthMs = 120000;
    int lengthBytes = 1920000;
    int rate = 44100;
    int channelToGive = 3;
    int timeMs = 0;
    int frequency = 44100;
    float levels = 0.5f;

    std::vector<std::pair<std::string, unsigned>> opens;
    std::vector<int> setTimes;
    std::vector<int> frequencies;
    std::vector<int> volumes;
    int plays = 0, stops = 0, pauses = 0, unpauses = 0;
    bool open = false;
    bool reportsEnd = false, playedOut = false;

    bool Open(const std::string& path, unsigned mode) override {
        opens.push_back({path, mode});
        m_state = 0;
        m_path = path;
        open = giveStream;
        return giveStream;
    }
    int OpenState() override {
        if (auto failing = failingPaths.find(m_path); failing != failingPaths.end()) {
            error = failing->second;
            return -1;
        }
        const int state = openStates[std::min(m_state, openStates.size() - 1)];
        ++m_state;
        return state;
    }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    int LastError() override { return error; }
    int LengthMs() override {
        return !opens.empty() && (opens.back().second & 0x20000) ? exactLengthMs : lengthMs;
    }
    int LengthBytes() override { return lengthBytes; }
    int DefaultRate() override { return rate; }
    TagLyrics::TagFieldFinder Finder() override { return {}; }
    int Play() override {
        ++plays;
        return channelToGive;
    }
    void Stop() override { ++stops; }
    int TimeMs() override { return timeMs; }
    void SetTimeMs(int ms) override {
        setTimes.push_back(ms);
        timeMs = ms;
        playedOut = false;
    }
    bool ReportsEnd() const override { return reportsEnd; }
    bool PlayedOut() override { return playedOut; }
    void SetPaused(int, bool paused) override { ++(paused ? pauses : unpauses); }
    void SetSurround(int, bool) override {}
    int Frequency(int) override { return frequency; }
    void SetFrequency(int, int hz) override { frequencies.push_back(hz); }
    void SetVolume(int volume) override { volumes.push_back(volume); }
    bool Levels(int, float& left, float& right) override {
        left = right = levels;
        return true;
    }
    void ResetEffects() override {}

private:
    size_t m_state = 0;
    std::string m_path;
};

// A built-in engine that answers as told and records what it was asked.
class FakeEngine : public EngineBackend {
public:
    bool openResult = true;
    int32_t duration = 120000;
    int32_t position = 0;
    int32_t streamingState = 4;
    int32_t buffered = 0;
    int32_t prebuffer = 32;
    std::u16string streamTitle;
    std::u16string tagTitle;

    std::vector<std::u16string> fileOpens, urlOpens;
    std::vector<int32_t> seeks;
    std::vector<uint32_t> volumes;
    int plays = 0, stops = 0, pauses = 0;

    bool OpenFile(const std::u16string& path) override {
        fileOpens.push_back(path);
        return openResult;
    }
    bool OpenUrl(const std::u16string& url) override {
        urlOpens.push_back(url);
        return openResult;
    }
    void Close() override {}
    bool Play() override {
        ++plays;
        return true;
    }
    void Stop() override { ++stops; }
    void Pause() override { ++pauses; }
    bool Seek(int32_t ms) override {
        seeks.push_back(ms);
        position = ms;
        return true;
    }
    int32_t Position() override { return position; }
    int32_t Duration() override { return duration; }
    bool GetFileInfo(PlayerFileInfo& info) override {
        info.sampleRate = 44100;
        info.channels = 2;
        info.bitrate = 128;
        info.duration = duration;
        return openResult;
    }
    bool FileTag(const std::u16string&, TagInfo& tag) override {
        std::copy(tagTitle.begin(), tagTitle.end(), tag.title);
        return !tagTitle.empty();
    }
    void SetVolume(uint32_t volume) override { volumes.push_back(volume); }
    int32_t StreamingState() override { return streamingState; }
    int32_t StreamingBuffered() override { return buffered; }
    int32_t PrebufferBlocks() override { return prebuffer; }
    std::u16string StreamTitle() override { return streamTitle; }
};

class FakeMediaPlayer : public MediaPlayerBackend {
public:
    bool ready = true;
    int32_t duration = 0;
    intptr_t tag = 7;
    std::vector<std::u16string> opens;
    int plays = 0;

    bool Ready() override { return ready; }
    bool Open(const std::u16string& path) override {
        opens.push_back(path);
        ++tag;
        return true;
    }
    void Play() override { ++plays; }
    void Pause() override {}
    void Stop() override {}
    int32_t Position() override { return 0; }
    int32_t Duration() override { return duration; }
    void Seek(int32_t) override {}
    void SetVolume(uint32_t) override {}
    bool CurrentNotice(intptr_t notice) const override { return notice == tag; }
};

// The session and the window: record what the controller shows and asks (texts in English).
class FakeUi : public PlaybackSink, public PlaybackUi {
public:
    struct Box {
        std::u16string text, title;
    };
    struct Status {
        std::u16string text;
        int ms;
    };

    bool muted = false;
    int repeatChoice = -1;
    std::function<void()> onWaitStep; // what the window does while the library opens

    std::vector<Box> boxes;
    std::vector<Status> statuses;
    std::vector<Box> bubbles;
    std::vector<uint32_t> posts;
    std::vector<std::u16string> titles;
    std::vector<LyricsData::Lookup> lyrics;
    std::vector<uint32_t> waveOutVolumes;
    std::map<Button, bool> buttons;
    int seekPos = -1, seekRange = -1, panelTime = -1, trackNumber = 0;
    bool seekSliderShown = true;
    int bubblesRemoved = 0, waits = 0, waitEnds = 0, waitSteps = 0, entryChanges = 0;
    std::u16string rate, bitrate;

    bool Muted() const override { return muted; }
    void MessageBox(const UiText& text, const UiText& title) override {
        boxes.push_back({text.English(), title.English()});
    }
    void ShowTitle(const FileInfo& entry) override { titles.push_back(entry.title); }
    void ShowStatus(const UiText& text, int ms) override {
        statuses.push_back({text.English(), ms});
    }
    void SetPanelTime(int seconds) override { panelTime = seconds; }
    void SetPanelTotal(int) override {}
    void SetPanelFormat(const std::u16string& r, const std::u16string& b) override {
        rate = r;
        bitrate = b;
    }
    void SetTrackNumber(int number) override { trackNumber = number; }
    void SetPanelState(PanelState) override {}
    void ShowSeekSlider(bool show) override { seekSliderShown = show; }
    void SetSeekRange(int maximum) override { seekRange = maximum; }
    void SetSeekPos(int position) override { seekPos = position; }
    void ShowButton(Button button, bool show) override { buttons[button] = show; }
    void FocusButton(Button) override {}
    void SetSpectrum(Spectrum) override {}
    void LyricsLoaded() override {}
    void ShowLyric(const LyricsData::Lookup& line) override { lyrics.push_back(line); }
    void ShowBubble(const UiText& title, const UiText& html, int) override {
        bubbles.push_back({html.English(), title.English()});
    }
    void RemoveBubble() override { ++bubblesRemoved; }
    void BeginWait() override { ++waits; }
    void EndWait() override { ++waitEnds; }
    void WaitStep() override {
        ++waitSteps;
        if (onWaitStep)
            onWaitStep();
    }
    void PostToView(uint32_t message, uintptr_t, intptr_t) override { posts.push_back(message); }
    void CurrentEntryChanged(const FileInfo&) override { ++entryChanges; }
    void SpeedApplied(double) override {}
    void HoldBacklight(bool) override {}
    void SetWaveOutVolume(uint32_t volume) override { waveOutVolumes.push_back(volume); }
    int RepeatPopup(int) override { return repeatChoice; }
};
