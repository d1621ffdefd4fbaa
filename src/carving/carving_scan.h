// SPDX-License-Identifier: GPL-3.0-or-later
// The carving engine. It reads a sector range in chunks of 512 sectors, looks at the start of every sector
// for a signature of the pass's type list, and takes every hit as the first sector of a file that runs to
// the next hit or to its type's largest size. A scan is a primary pass ("General") and, when asked for, a
// thorough pass ("Omitted") with the mode's second list.
//
// Photo Search keeps the file being carved in memory and hands it to a thumbnail hook when it is done;
// Signature and Video Search write it to disk as it grows and keep per-type counts and numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/seams.h"
#include "carving/carving_state.h"
#include "carving/output_layout.h"
#include "storage/device_namespace.h"

namespace salvora {

inline constexpr std::uint32_t kCarveChunkSectors = 512;
inline constexpr std::size_t kCarveChunkBytes = 262144;

// The help line when a scan has ended, and the message for a range that is empty or backwards.
inline constexpr const char* kCarveScanEndedText = "To view the recovered Data, please click on 'Open "
                                                   "Containing Folder' button. Or Click on \u2018Back\u2019 "
                                                   "Button to select another disk for recovery.";
inline constexpr const char* kEndSectorMessage = "The value of \u2018End Sector\u2019 cannot be less than or "
                                                 "equal to the \u2018Start Sector\u2019 of the Drive.";

struct CarveScanRequest {
    CarveMode mode = CarveMode::Photo;
    std::string devicePath; // "\\.\PhysicalDriveN" or "\\.\L:"
    std::uint64_t startSector = 0;
    std::uint64_t endSector = 0; // inclusive
    std::string destination;     // the folder the user chose
    bool thorough = true;        // "Also perform Thorough Scanning Algorithm Search"
    std::string dataDirectory;   // Signature and Video: where the thorough file is read between the passes
};

// What the mode window shows while the scan runs, and the hooks for finished files. Every call comes from
// the scan's thread. The defaults do nothing.
class CarveView {
public:
    virtual ~CarveView() = default;
    virtual void setCurrentSectorText(const std::string&) {}
    virtual void setTotalText(const std::string&) {}
    virtual void setBasisText(const std::string&) {}
    // One step per chunk from startSector; progressStep gets the first sector of the next chunk.
    virtual void progressSetup(std::uint64_t /*startSector*/, std::uint64_t /*endSector*/,
                               std::uint64_t /*steps*/) {}
    virtual void progressStep(std::uint64_t /*nextSector*/) {}
    // The medium failed: a minimised window comes back before the question is asked.
    virtual void restoreWindow() {}
    // Photo: a finished picture, its bytes, name and where it was stored.
    virtual void AddThumbnail(std::span<const std::byte> /*bytes*/, const std::string& /*name*/,
                              const std::string& /*savedPath*/) {}
    // Signature and Video: a finished file, after the type results table and the list were brought up to
    // date.
    virtual void AppendRecoveredFile(const std::string& /*bareExtension*/, const std::string& /*name*/,
                                     const std::string& /*savedPath*/) {}
    virtual void scanEnded() {}
};

struct CarveScanOutcome {
    bool ran = false;         // false when the range was refused
    bool stopped = false;     // by Stop, by "Cancel Searching" or by a full destination
    std::string fatalMessage; // a data file could not be read: the product shows it and ends with status 0
    std::uint64_t filesStored = 0;
    std::uint64_t filesFailed = 0; // could not be created or written completely
    bool destinationFull = false;  // writing stopped the scan (no space left)
    std::string firstWriteError;
    std::uint64_t bytesRead = 0;
};

// Runs the passes of one scan over request's range. The caller clears the mode's stop flag (and, for
// Signature and Video, sets SignatureRunning and loads the checked primary types into ActiveTypeList)
// before; the flag is cleared again at the end.
CarveScanOutcome RunCarvingScan(CarvingState& state, const DeviceNamespace& devices,
                                const CarveScanRequest& request, CarveView& view, Prompter& prompter);

} // namespace salvora
