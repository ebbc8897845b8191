#pragma once

#include "playback/LibraryBackend.h"
#include "runtime/fsound.h"

#include <atomic>

struct FmodFunctions;
class LibraryEffects;

// The controller's stream in the run-time library bound by name.
class FmodLibraryBackend : public LibraryBackend {
public:
    // `effects` may be null (no effects on the library's mix).
    FmodLibraryBackend(const FmodFunctions& fsound, LibraryEffects* effects)
        : m_fsound(fsound), m_effects(effects) {}
    ~FmodLibraryBackend() override { Close(); }
    FmodLibraryBackend(const FmodLibraryBackend&) = delete;
    FmodLibraryBackend& operator=(const FmodLibraryBackend&) = delete;

    bool Open(const std::string& path, unsigned mode) override;
    int OpenState() override;
    void Close() override;
    bool IsOpen() const override { return m_stream != nullptr; }
    int LastError() override;
    int LengthMs() override;
    int LengthBytes() override;
    int DefaultRate() override;
    TagLyrics::TagFieldFinder Finder() override;
    int Play() override;
    void Stop() override;
    int TimeMs() override;
    void SetTimeMs(int ms) override;
    void SetPaused(int channel, bool paused) override;
    void SetSurround(int channel, bool on) override;
    int Frequency(int channel) override;
    void SetFrequency(int channel, int hz) override;
    void SetVolume(int volume) override;
    bool Levels(int channel, float& left, float& right) override;
    void ResetEffects() override;
    bool ReportsEnd() const override { return true; }
    bool PlayedOut() override { return m_playedOut; }

private:
    static signed char StreamEnded(FSOUND_STREAM*, void*, int, void* backend);

    const FmodFunctions& m_fsound;
    LibraryEffects* m_effects;
    FSOUND_STREAM* m_stream = nullptr;
    std::atomic<bool> m_playedOut{false}; // set on the library's mixing thread
};
