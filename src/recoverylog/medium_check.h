// SPDX-License-Identifier: GPL-3.0-or-later
// Is the medium a log was made from still here? A logical drive is known by its volume path and size in
// sectors ("\\.\E:|3906250", as AttachedVolumeEntries holds it); a physical disk by its identity text
// ("model||size text||total sectors||disk number", as AttachedDiskIdentities holds it). A medium that came
// back under another drive letter or disk number is found by the same size or the same identity without
// its number; the caller asks the user before following it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace salvora {

inline constexpr const char* kOriginalMediaMoved =
    "Original Media has been moved or removed.\n\nThe drive from which selected recovery Log (index of "
    "recovered files and folders) file was saved, seems to be moved or disconnected. Recovery for selected "
    "drive cannot continue with this log file. Please select the correct drive from tree and continue with "
    "recovery.";

struct MediumCheck {
    enum class Outcome { Present, Moved, Missing };
    Outcome outcome = Outcome::Missing;
    std::string savedNumber; // disk check: the disk number in the saved identity
    std::string newLocation; // Moved: the entry's volume path, or the entry's disk number
};

// The volume check: the key savedPath|savedSectors, else the first entry with the same sector count.
MediumCheck CheckVolumePresent(const std::string& savedPath, std::uint64_t savedSectors,
                               const std::vector<std::string>& attachedVolumeEntries);

// The disk check: the identity exactly (both trimmed), else the first entry whose identity without its disk
// number equals the saved one's.
MediumCheck CheckDiskPresent(const std::string& savedIdentity,
                             const std::vector<std::string>& attachedDiskIdentities);

// The questions asked before following a moved medium.
std::string movedVolumeQuestion(const std::string& savedPath, const std::string& newPath);
std::string movedDiskQuestion(const std::string& savedNumber, const std::string& newNumber);

} // namespace salvora
