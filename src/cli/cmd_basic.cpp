// SPDX-License-Identifier: GPL-3.0-or-later
// salvora basic TARGET: a Basic Search of a volume, printed as the folder tree, one folder's file list
// (--ls) or JSON for scripts (--json, --files).
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
#include "fsrecovery/basic_search.h"
#include "fsrecovery/ntfs/ntfs_basic_search.h"

namespace salvora::cli {
namespace {

constexpr const char* kNothingFound =
    "Recovery is not possible in Basic Search Mode, use other search mode to recover your data.";

} // namespace

int runBasic(Session& session, const BasicOptions& options, OutputStreams streams) {
    auto chosen = selectCommandTarget(session, options.target, SearchMode::Basic, streams.err);
    if (const int* exitCode = std::get_if<int>(&chosen))
        return *exitCode;
    const auto& [target, selection] = std::get<CommandTarget>(chosen);
    if (selection.fileSystem != "FAT16" && selection.fileSystem != "FAT32" &&
        selection.fileSystem != "NTFS") {
        streams.err << "salvora: " << targetText(target)
                    << " holds no FAT16, FAT32 or NTFS volume that can be recognised\n";
        return kExitFailure;
    }

    TerminalProgress progress(streams.err, options.showProgress && isatty(STDERR_FILENO) != 0);
    StderrPrompter prompter(streams.err, progress);
    StopFlag stop{false};
    BasicSearchContext context{session.devices, session.CurrentDevicePath,
                               session.volumes, session.tables,
                               session.folders, progress,
                               prompter,        stop};
    NtfsRecordWalker ntfsWalker(session.ntfs);
    NtfsBasicSearch* ntfs = &ntfsWalker;
    BasicSearchOutcome outcome;
    {
        StopOnInterrupt interrupt(stop);
        outcome = RunBasicSearch(context, ntfs);
    }
    progress.finish();
    if (!outcome.parametersComputed && !outcome.parametersRecovered && !outcome.stopped) {
        if (outcome.fileSystem == "NTFS")
            streams.err << "salvora: unable to calculate the NTFS parameters of " << targetText(target)
                        << ": its boot sector and backup are damaged or missing\n";
        return kExitFailure;
    }
    if (outcome.stopped)
        streams.err << "salvora: stopped; showing what was found so far\n";

    std::unique_ptr<FolderFileWalker> walker = BasicSearchFolderWalker(context, ntfs);
    if (outcome.nothingFound)
        streams.err << kNothingFound << "\n";

    FoundItems found{targetText(target),
                     outcome.fileSystem,
                     outcome.stopped,
                     session.folders,
                     walker.get(),
                     {session.devices, context.devicePath, selection.fileSystem,
                      session.volumes.volumeParameters, session.folders}};
    const int shown = writeFoundItems(found, options, streams);
    if (options.saveLog.empty())
        return shown;
    // After the output: the tree then holds every folder's own name, as the log should.
    const int logged = saveScanLog(session, SearchMode::Basic, options.saveLog, prompter, streams.err);
    return shown != kExitOk ? shown : logged;
}

} // namespace salvora::cli
