#pragma once

#include "platform/MessageSink.h"
#include "playback/AudioSystem.h"
#include "session/PlayerObserver.h"
#include "session/PlayerSession.h"
#include "session/SessionUi.h"

#include "tests/playback/FakePlaybackParts.h"

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// The audio as the session owns it: the fake library and engine, the tick and the volumes
// recorded.
class FakeAudioSystem : public AudioSystem {
public:
    FakeLibrary library;
    FakeEngine engine;
    bool startResult = true;
    int32_t useDefaultDecoder = 1;

    std::vector<uint32_t> outputVolumes;
    std::vector<bool> levelMeter;
    bool tickActive = false;
    int shutdowns = 0;
    int starts = 0;
    std::vector<int> streamBufferSizes;
    int streamingApplied = 0;

    bool Start() override {
        ++starts;
        return startResult;
    }
    UiText FailureText() const override { return {"Test", "No sound device", {}}; }
    UiText FailureTitle() const override { return {"Test", "Audio", {}}; }
    void SetStreamShutdown(std::function<void()> hook) override { m_streamShutdown = hook; }
    void ActivateTick() override { tickActive = true; }
    void Shutdown() override {
        ++shutdowns;
        if (m_streamShutdown)
            m_streamShutdown();
    }
    LibraryBackend& Library() override { return library; }
    EngineBackend& Engine() override { return engine; }
    LibraryTagSource* Tags() override { return nullptr; }
    int32_t UseDefaultDecoder() const override { return useDefaultDecoder; }
    int TickMs() const override { return 23; }
    void SetOutputVolume(uint32_t volume) override { outputVolumes.push_back(volume); }
    int ChannelVolume(int) override { return 255; }
    void SetChannelVolume(int, int) override {}
    bool SetStreamBufferSize(int ms) override {
        streamBufferSizes.push_back(ms);
        return true;
    }
    void ApplyStreamingOptions() override { ++streamingApplied; }
    void SetEngineLevelMeter(bool on) override { levelMeter.push_back(on); }
    bool EngineLevels(float& left, float& right) override {
        left = right = 0.25f;
        return true;
    }

private:
    std::function<void()> m_streamShutdown;
};

// The window's part: records boxes, questions, timers and window actions; answers the file
// chooser and the questions as told and hands out resources from a map. The controller's boxes
// may come from the monitor's thread.
class FakeSessionUi : public SessionUi {
public:
    struct Box {
        std::u16string text, title;
    };

    bool answer = true;
    std::vector<std::u16string> files;
    std::map<std::string, std::string> resources;
    std::string trashFolder;

    std::vector<Box> questions;
    std::vector<std::u16string> chooserFolders;
    std::map<uint32_t, uint32_t> timers; // running: id -> interval
    std::vector<WindowAction> actions;
    std::vector<uint32_t> optionPages; // the page masks shown

    std::vector<Box> Boxes() {
        std::lock_guard lock(m_lock);
        return m_boxes;
    }

    void MessageBox(const UiText& text, const UiText& title) override {
        std::lock_guard lock(m_lock);
        m_boxes.push_back({text.English(), title.English()});
    }
    void ShowBubble(const UiText&, const UiText&, int) override {}
    void RemoveBubble() override {}
    void BeginWait() override {}
    void EndWait() override {}
    void WaitStep() override {
        if (onWaitStep)
            onWaitStep();
    }
    int RepeatPopup(int) override { return -1; }
    bool Ask(const UiText& text, const UiText& caption) override {
        questions.push_back({text.English(), caption.English()});
        return answer;
    }
    // Trashing moves the file into `trashFolder` (none set: nothing can be trashed).
    bool MoveToTrash(const std::u16string& path) override {
        std::error_code error;
        const std::filesystem::path from(path);
        if (trashFolder.empty())
            return false;
        std::filesystem::rename(from, std::filesystem::path(trashFolder) / from.filename(), error);
        return !error;
    }
    std::vector<std::u16string> ChooseFiles(const std::u16string& start) override {
        chooserFolders.push_back(start);
        return files;
    }
    std::optional<std::u16string> AskAddress() override { return std::nullopt; }
    void StartTimer(uint32_t id, uint32_t intervalMs) override { timers[id] = intervalMs; }
    void StopTimer(uint32_t id) override { timers.erase(id); }
    std::function<void()> onWaitStep; // the window's event loop while the library opens
    void Window(WindowAction action) override { actions.push_back(action); }
    bool optionsAnswer = false;      // OK on the options sheet
    std::function<void()> onOptions; // the pages' work while the sheet is open
    bool ShowOptions(uint32_t pageMask) override {
        optionPages.push_back(pageMask);
        if (onOptions)
            onOptions();
        return optionsAnswer;
    }
    bool sleepTimerAnswer = false;      // OK on the sleep timer dialog
    std::function<void()> onSleepTimer; // the dialog's work while it is open
    bool ShowSleepTimer() override {
        if (onSleepTimer)
            onSleepTimer();
        return sleepTimerAnswer;
    }
    std::optional<double> speedAnswer; // the speed dialog's choice
    std::optional<double> ShowPlaybackSpeed() override { return speedAnswer; }
    int cpuProfiles = 0;
    bool ShowCpuProfile() override {
        ++cpuProfiles;
        return false;
    }
    int soundEffectsShown = 0;
    bool ShowSoundEffects() override {
        ++soundEffectsShown;
        return false;
    }
    int favoritesShown = 0;
    bool ShowFavorites() override {
        ++favoritesShown;
        return false;
    }
    std::vector<std::vector<FileInfo>> lyricsDownloads; // the entries of each download dialog
    void ShowLyricsDownload(const std::vector<FileInfo>& entries) override {
        lyricsDownloads.push_back(entries);
    }
    int playlistsShown = 0;
    void ShowPlaylist() override { ++playlistsShown; }
    std::string Resource(const std::string& name) override {
        const auto found = resources.find(name);
        return found == resources.end() ? std::string() : found->second;
    }

private:
    std::mutex m_lock;
    std::vector<Box> m_boxes;
};

// The window's message queue: the session's posts wait here until the test pumps them back, as
// the event loop would.
class QueueSink : public MessageSink {
public:
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        std::lock_guard lock(m_lock);
        m_queue.emplace_back(message, wParam, lParam);
        return true;
    }
    // Hands every queued message (and those posted meanwhile) to the session; the count.
    int Pump(PlayerSession& session) {
        int handled = 0;
        while (handled < 1000) {
            std::tuple<uint32_t, uintptr_t, intptr_t> next;
            {
                std::lock_guard lock(m_lock);
                if (m_queue.empty())
                    break;
                next = m_queue.front();
                m_queue.pop_front();
            }
            session.HandleMessage(std::get<0>(next), std::get<1>(next), std::get<2>(next));
            ++handled;
        }
        return handled;
    }

private:
    std::mutex m_lock;
    std::deque<std::tuple<uint32_t, uintptr_t, intptr_t>> m_queue;
};

// Counts the state changes and records statuses and focus requests (from any thread).
class RecordingObserver : public PlayerObserver {
public:
    std::atomic<int> changes{0};

    std::vector<std::u16string> Statuses() {
        std::lock_guard lock(m_lock);
        return m_statuses;
    }
    std::vector<Control> Focused() {
        std::lock_guard lock(m_lock);
        return m_focus;
    }

    void StateChanged() override { ++changes; }
    void StatusShown(const UiText& text, int) override {
        std::lock_guard lock(m_lock);
        m_statuses.push_back(text.English());
    }
    void FocusRequested(Control control) override {
        std::lock_guard lock(m_lock);
        m_focus.push_back(control);
    }
    void MuteToggleRequested() override {}

private:
    std::mutex m_lock;
    std::vector<std::u16string> m_statuses;
    std::vector<Control> m_focus;
};
