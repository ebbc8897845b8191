#pragma once

#include "playlist/PlaylistEntry.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of paths (the favourites, the played list) that names a path of the
// playlist's own entries by the entry's index, so that a long list does not hold its paths
// twice. A path that is no entry's, or whose entry went, is kept as a text of its own.
class EntryPaths {
public:
    explicit EntryPaths(const std::vector<PlaylistEntry>& entries) : m_entries(entries) {}

    int Size() const { return static_cast<int>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }
    std::u16string_view At(int k) const;
    std::vector<std::u16string> All() const;
    // Adds `path`: as the entry at `row`, whose path it is, or with row -1 as a text of its own.
    void Push(std::u16string_view path, int row);
    void Clear();
    void ShrinkToFit() { m_items.shrink_to_fit(); }
    // Before the entries move: `rowOf` gives each old index its new one, or -1 for an entry that
    // goes (a path named by it is then kept as a text of its own).
    void Move(const std::vector<int>& rowOf);

private:
    const std::vector<PlaylistEntry>& m_entries;
    std::vector<int32_t> m_items;     // an entry's index, or ~k for m_own[k]
    std::deque<std::u16string> m_own; // texts of their own
};
