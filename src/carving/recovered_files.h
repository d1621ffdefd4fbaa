// SPDX-License-Identifier: GPL-3.0-or-later
// The list of finished files that Signature and Video Search show, as the engine keeps it: at most 2000 names
// (the list is emptied when the 2001st arrives), and which pass each listed name came from.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace salvora {

inline constexpr std::size_t kRecoveredFilesListLimit = 2000;

struct RecoveredFile {
    std::string name;
    std::string path;
};

class RecoveredFilesList {
public:
    // Appends a finished file. When the list already holds 2000 names it is emptied first and
    // generalFoundCount is corrected so that it still tells primary items from thorough ones: a file
    // of the primary pass takes 2000 off it, one of the thorough pass sets it to 0. True when it was emptied.
    bool append(RecoveredFile file, std::atomic<std::uint64_t>& generalFoundCount);
    void clear() {
        m_items.clear();
        m_cleared = false;
    }

    const std::vector<RecoveredFile>& items() const { return m_items; }
    // True once the list has been emptied for its size: the front end then shows why.
    bool wasCleared() const { return m_cleared; }
    // Whether the item at position (counting from 1) came from the primary pass.
    static bool isPrimaryItem(std::size_t position, std::uint64_t generalFoundCount) {
        return position <= generalFoundCount;
    }

private:
    std::vector<RecoveredFile> m_items;
    bool m_cleared = false;
};

} // namespace salvora
