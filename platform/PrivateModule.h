#pragma once

// The player's private modules (libsonvale-*.so), which bind a large library only when a feature
// needs it. They live in lib/sonvale beside the programs' bin folder and beside libfmodce.so.
namespace PrivateModule {

// Opens `file` (a bare file name): the one beside the program or library this code is in, the
// one in the lib/sonvale folder beside that folder, then through the library search path. Null
// when none loads. A module stays loaded for the rest of the process.
void* Open(const char* file);

// The address `entry` names in `module`, called once: the module's table of functions.
const void* Entry(void* module, const char* entry);

// The table of functions `entry` returns in the module `file`, found on the first call (later
// calls give the same answer); null when the module is missing.
template <typename Table> const Table* LoadTable(const char* file, const char* entry) {
    static const Table* const table = [file, entry] {
        void* module = Open(file);
        return module ? static_cast<const Table*>(Entry(module, entry)) : nullptr;
    }();
    return table;
}

} // namespace PrivateModule
