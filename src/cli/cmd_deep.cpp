// SPDX-License-Identifier: GPL-3.0-or-later
// salvora deep TARGET --fs FAT16|FAT32|NTFS: a Deep Search of a sector range of the target, printed and saved
// as the basic command does.
#include <charconv>
#include <ostream>
#include <unistd.h>

#include "app/targets.h"
#include "cli/command_target.h"
#include "cli/commands.h"
#include "cli/found_items_output.h"
#include "cli/interrupt.h"
#include "cli/save_log.h"
#include "cli/stderr_prompter.h"
#include "cli/terminal_progress.h"
#include "fsrecovery/deep/deep_search.h"
#include "save/deep_save_volumes.h"
#include "volumes/volume_parameters.h"

namespace salvora::cli {
namespace {

constexpr const char* kNothingFound =
    "Recovery is not possible in Deep Search Mode, use other search mode to recover your data.";
constexpr const char* kBadRange = "The value of \xE2\x80\x98"
                                  "End Sector\xE2\x80\x99 cannot be less than or equal to the "
                                  "\xE2\x80\x98Start Sector\xE2\x80\x99 of the Drive.";
constexpr const char* kChooseFileSystem = "Select file system type for recovery of selected drive.";

bool parseNumber(std::string_view text, std::uint64_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "START-END" in sectors.
bool parseRange(std::string_view text, std::uint64_t& start, std::uint64_t& end) {
    const std::size_t dash = text.find('-');
    return dash != std::string_view::npos && parseNumber(text.substr(0, dash), start) &&
           parseNumber(text.substr(dash + 1), end);
}

struct ScanRange {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::uint64_t volumeStart = 0; // where the volume itself begins, for the NTFS branch
};

// The range the sector-range slider would offer for the target: a partition's or drive's own sectors, a
// whole disk from sector 0 to its end.
std::optional<ScanRange> defaultRange(Session& session, const Target& target,
                                      const SelectedVolume& selection) {
    ScanRange range{selection.start, selection.end, selection.start};
    if (target.kind != Target::Kind::WholeDisk)
        return range;
    auto medium = session.devices.resolve(selection.devicePath);
    auto size = medium ? medium->size() : std::nullopt;
    if (!size || *size < 512)
        return std::nullopt;
    range.start = 0;
    range.end = *size / 512;
    const PartitionList& list = session.volumes.partitionLists[static_cast<std::size_t>(target.disk)];
    range.volumeStart = list.count > 0 ? list.rows[0].start : 0;
    return range;
}

} // namespace

int runDeep(Session& session, const DeepOptions& options, OutputStreams streams) {
    if (options.fileSystem != "FAT16" && options.fileSystem != "FAT32" && options.fileSystem != "NTFS") {
        streams.err << kChooseFileSystem << "\n";
        return kExitUsage;
    }
    auto chosen = selectCommandTarget(session, options.target, SearchMode::Deep, streams.err);
    if (const int* exitCode = std::get_if<int>(&chosen))
        return *exitCode;
    const auto& [target, selection] = std::get<CommandTarget>(chosen);
    auto range = defaultRange(session, target, selection);
    if (!range) {
        streams.err << "salvora: cannot tell the size of " << targetText(target) << "\n";
        return kExitFailure;
    }
    if (!options.range.empty() && !parseRange(options.range, range->start, range->end)) {
        streams.err << "salvora: invalid --range '" << options.range << "': use START-END in sectors\n";
        return kExitUsage;
    }
    if (range->start >= range->end) {
        streams.err << kBadRange << "\n";
        return kExitUsage;
    }

    // The parameters computed for the selection stay as they are; the search works on its own set.
    ComputeVolumeParameters(session.volumes, session.devices);
    session.volumes.computedParameters = session.volumes.volumeParameters;
    session.volumes.selectedVolume.start = range->start;
    session.volumes.selectedVolume.end = range->end;

    TerminalProgress progress(streams.err, options.showProgress && isatty(STDERR_FILENO) != 0);
    StderrPrompter prompter(streams.err, progress);
    StopFlag stop{false};
    DeepSearchContext context{session.devices,
                              session.CurrentDevicePath,
                              options.fileSystem,
                              range->start,
                              range->end,
                              range->volumeStart,
                              session.volumes,
                              session.tables,
                              session.folders,
                              session.deep,
                              progress,
                              prompter,
                              stop};
    DeepSearchOutcome outcome;
    {
        StopOnInterrupt interrupt(stop);
        outcome = RunDeepSearch(context);
    }
    progress.finish();
    if (outcome.stopped)
        streams.err << "salvora: stopped; showing what was found so far\n";
    if (outcome.nothingFound)
        streams.err << kNothingFound << "\n";

    std::unique_ptr<FolderFileWalker> walker = DeepSearchFolderWalker(context);
    std::unique_ptr<SaveVolumeSelector> volumes = DeepSearchSaveVolumes(context);
    FoundItems found{targetText(target),
                     options.fileSystem,
                     outcome.stopped,
                     session.folders,
                     walker.get(),
                     {session.devices, context.devicePath, session.volumes.partType,
                      session.volumes.volumeParameters, session.folders, volumes.get()}};
    const int shown = writeFoundItems(found, options, streams);
    if (options.saveLog.empty())
        return shown;
    // The log records the file system searched for as the partition's type, and the volume's own start.
    session.volumes.selectedVolume.fileSystem = options.fileSystem;
    session.log.origin.driveStart = range->volumeStart;
    const int logged = saveScanLog(session, SearchMode::Deep, options.saveLog, prompter, streams.err);
    return shown != kExitOk ? shown : logged;
}

} // namespace salvora::cli
