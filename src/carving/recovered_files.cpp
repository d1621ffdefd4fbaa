// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/recovered_files.h"

namespace salvora {
namespace {

// The pass folder of a carved file's path: .../<General|Omitted>/<type folder>/<name>.
std::string passFolderOf(const std::string& path) {
    std::size_t nameSlash = path.rfind('/');
    if (nameSlash == std::string::npos || nameSlash == 0)
        return {};
    std::size_t typeSlash = path.rfind('/', nameSlash - 1);
    if (typeSlash == std::string::npos)
        return {};
    std::size_t passSlash = typeSlash == 0 ? std::string::npos : path.rfind('/', typeSlash - 1);
    std::size_t from = passSlash == std::string::npos ? 0 : passSlash + 1;
    return path.substr(from, typeSlash - from);
}

} // namespace

bool RecoveredFilesList::append(RecoveredFile file, std::atomic<std::uint64_t>& generalFoundCount) {
    bool emptied = false;
    if (m_items.size() >= kRecoveredFilesListLimit) {
        m_items.clear();
        m_cleared = true;
        emptied = true;
        std::string passFolder = passFolderOf(file.path);
        if (passFolder.find("General") != std::string::npos) {
            std::uint64_t count = generalFoundCount.load();
            generalFoundCount = count >= kRecoveredFilesListLimit ? count - kRecoveredFilesListLimit : 0;
        } else if (passFolder.find("Omitted") != std::string::npos) {
            generalFoundCount = 0;
        }
    }
    m_items.push_back(std::move(file));
    return emptied;
}

} // namespace salvora
