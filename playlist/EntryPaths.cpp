#include "playlist/EntryPaths.h"

std::u16string_view EntryPaths::At(int k) const {
    const int32_t item = m_items.at(static_cast<size_t>(k));
    return item >= 0 ? m_entries.at(static_cast<size_t>(item)).Path()
                     : std::u16string_view(m_own.at(static_cast<size_t>(~item)));
}

std::vector<std::u16string> EntryPaths::All() const {
    std::vector<std::u16string> paths;
    paths.reserve(m_items.size());
    for (int k = 0; k < Size(); ++k)
        paths.emplace_back(At(k));
    return paths;
}

void EntryPaths::Push(std::u16string_view path, int row) {
    if (row >= 0) {
        m_items.push_back(row);
    } else {
        m_items.push_back(~static_cast<int32_t>(m_own.size()));
        m_own.emplace_back(path);
    }
}

void EntryPaths::Clear() {
    m_items.clear();
    m_own.clear();
}

void EntryPaths::Move(const std::vector<int>& rowOf) {
    for (int32_t& item : m_items) {
        if (item < 0)
            continue;
        const int row = rowOf.at(static_cast<size_t>(item));
        if (row >= 0) {
            item = row;
        } else {
            m_own.emplace_back(m_entries.at(static_cast<size_t>(item)).Path());
            item = ~static_cast<int32_t>(m_own.size() - 1);
        }
    }
}
