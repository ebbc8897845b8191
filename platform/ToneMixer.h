#pragma once

#include <memory>
#include <string>
#include <vector>

// The tone controls of a sound card's mixer: the simple elements "3D", "Treble" and "Bass"
// that the card has, with their playback volume ranges. A card without them, or a mixer that
// does not open, has no controls.
class ToneMixer {
public:
    struct Control {
        std::string name;
        long minimum = 0;
        long maximum = 0;
        long value = 0; // as found when the mixer opened
    };

    explicit ToneMixer(const std::string& card = "default");
    ~ToneMixer();
    ToneMixer(const ToneMixer&) = delete;
    ToneMixer& operator=(const ToneMixer&) = delete;

    const std::vector<Control>& Controls() const { return m_controls; }
    // Sets every channel of a control; false when there is no such control.
    bool Set(const std::string& name, long value);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::vector<Control> m_controls;
};
