#pragma once

#include "engine/plugins/DecoderPlugin.h"

#include <cstdint>
#include <string>
#include <vector>

// The registered decoder plug-ins, in the order they were registered: the shared libraries found
// in the plug-in folders, then the tables the program adds itself.
class PluginRegistry {
public:
    struct Entry {
        void* module = nullptr; // null for a table inside the program
        const DecoderPlugin* table = nullptr;
        uint32_t caps = 0;
    };

    PluginRegistry() = default;
    ~PluginRegistry(); // calls every plug-in's Quit and unloads the libraries
    PluginRegistry(const PluginRegistry&) = delete;
    PluginRegistry& operator=(const PluginRegistry&) = delete;

    // The folder of the executable and <prefix>/lib/sonvale/plugins beside it.
    static std::vector<std::string> DefaultFolders();
    // Loads every "*.so" of the folder, in name order, that exports an acceptable table.
    void LoadFolder(const std::string& folder);
    // Registers a table of the program itself after the same checks.
    bool Add(const DecoderPlugin* table);

    static bool Acceptable(const DecoderPlugin* table);

    size_t Count() const { return m_entries.size(); }
    const Entry& At(size_t index) const { return m_entries[index]; }
    // Hands an equalizer record to every plug-in that applies it itself.
    void SetEqualizer(const DecoderPluginEqualizer& equalizer) const;

private:
    bool Register(void* module, const DecoderPlugin* table);

    std::vector<Entry> m_entries;
};
