// SPDX-License-Identifier: GPL-3.0-or-later
#include "recoverylog/medium_check.h"

#include "base/text.h"

namespace salvora {
namespace {

struct SplitIdentity {
    std::string rest;   // before the last "||"
    std::string number; // after the last "|"
};

SplitIdentity splitAtLastBar(const std::string& text) {
    const std::size_t bar = text.rfind('|');
    if (bar == std::string::npos)
        return {text, {}};
    std::string rest = text.substr(0, bar);
    if (!rest.empty() && rest.back() == '|')
        rest.pop_back();
    return {rest, text.substr(bar + 1)};
}

} // namespace

MediumCheck CheckVolumePresent(const std::string& savedPath, std::uint64_t savedSectors,
                               const std::vector<std::string>& attachedVolumeEntries) {
    const std::string sectors = std::to_string(savedSectors);
    const std::string key = savedPath + "|" + sectors;
    for (const std::string& entry : attachedVolumeEntries)
        if (entry == key)
            return {MediumCheck::Outcome::Present, {}, savedPath};
    for (const std::string& entry : attachedVolumeEntries) {
        const std::size_t bar = entry.rfind('|');
        if (bar != std::string::npos && entry.substr(bar + 1) == sectors)
            return {MediumCheck::Outcome::Moved, {}, entry.substr(0, bar)};
    }
    return {};
}

MediumCheck CheckDiskPresent(const std::string& savedIdentity,
                             const std::vector<std::string>& attachedDiskIdentities) {
    const std::string saved = trim(savedIdentity);
    const SplitIdentity savedParts = splitAtLastBar(saved);
    for (const std::string& entry : attachedDiskIdentities)
        if (trim(entry) == saved)
            return {MediumCheck::Outcome::Present, savedParts.number, savedParts.number};
    for (const std::string& entry : attachedDiskIdentities) {
        const SplitIdentity parts = splitAtLastBar(trim(entry));
        if (parts.rest == savedParts.rest)
            return {MediumCheck::Outcome::Moved, savedParts.number, parts.number};
    }
    return {MediumCheck::Outcome::Missing, savedParts.number, {}};
}

std::string movedVolumeQuestion(const std::string& savedPath, const std::string& newPath) {
    return "Original Media connection order on Drive letter '" + savedPath +
           "' has been replaced with media of drive letter '" + newPath +
           "' since you saved the selected recovery Log.\n\nDo you want to continue?";
}

std::string movedDiskQuestion(const std::string& savedNumber, const std::string& newNumber) {
    return "Original Media connection order on Disk number '" + savedNumber +
           "' has been replaced with media of disk number '" + newNumber +
           "' since you saved the selected recovery Log.\n\nDo you want to continue?";
}

} // namespace salvora
