// SPDX-License-Identifier: GPL-3.0-or-later
// The salvora subcommands. Each takes the session with its media attached, writes its result to out and
// its complaints to err, and returns the process exit code. Option parsing lives in main.cpp only.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/session.h"
#include "carving/output_layout.h"

namespace salvora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct OutputStreams {
    std::ostream& out;
    std::ostream& err;
};

int runList(Session& session, bool json, SearchMode mode, OutputStreams streams);
int runParams(Session& session, const std::string& targetText, bool json, OutputStreams streams);

// What a volume command does with the folder tree it found: print it (the default), list one folder, print
// JSON or save.
struct FoundItemsOptions {
    std::string listPath; // --ls: list this folder instead of printing the tree
    bool json = false;
    bool files = false; // --files: with --json, every file of every folder
    bool showProgress = true;
    std::string saveDestination;        // --save DIR: save what was found into DIR
    std::vector<std::string> savePaths; // only these folders and files (tree paths); all when empty
    std::string onConflict = "ask";     // ask, overwrite, skip or rename
    std::string openPath;               // --open FILE: copy this file aside and open it with its application
};

struct BasicOptions : FoundItemsOptions {
    std::string target;
    std::string saveLog; // --save-log FILE.SLV: write the scan's recovery log
};
int runBasic(Session& session, const BasicOptions& options, OutputStreams streams);

struct DeepOptions : FoundItemsOptions {
    std::string target;
    std::string fileSystem; // --fs: FAT16, FAT32 or NTFS, the file system the range is searched for
    std::string range;      // "START-END" in sectors; empty for the whole target
    std::string saveLog;    // --save-log FILE.SLV: write the scan's recovery log
};
// Deep Search of TARGET's sectors for the structures of the chosen file system.
int runDeep(Session& session, const DeepOptions& options, OutputStreams streams);

struct CarveOptions {
    std::string target;
    std::string out;                 // the destination folder
    std::string range;               // "START-END" in sectors; empty for the whole target
    bool noThorough = false;         // skip the thorough pass
    std::string types;               // Signature and Video: "JPG,PNG", the types to carve; empty for all
    bool listTypes = false;          // print the type chooser's rows instead of carving
    std::string onReadError = "ask"; // ask, cancel, retry or retry-all
    bool showProgress = true;
};
// Photo, Signature or Video Search of TARGET into out.
int runCarve(Session& session, CarveMode mode, const CarveOptions& options, OutputStreams streams);

struct FindPartitionsOptions {
    std::string target; // diskN or L:
    bool json = false;
    bool showProgress = true;
};
// Search More Partitions on a disk (the cylinder search) or inside a logical drive.
int runFindPartitions(Session& session, const FindPartitionsOptions& options, OutputStreams streams);

struct LoadLogOptions : FoundItemsOptions {
    std::string logPath;
    std::optional<bool> answer; // --yes / --no: the answer to the moved-medium question; unset: ask
};
// Loads a recovery log (the medium attached as when it was saved, or moved) and shows or saves its result.
int runLoadLog(Session& session, const LoadLogOptions& options, OutputStreams streams);

} // namespace salvora::cli
