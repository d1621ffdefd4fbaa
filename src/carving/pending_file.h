// SPDX-License-Identifier: GPL-3.0-or-later
// The file being carved: started at a hit, grown at chunk ends and ended by the next hit, its size limit or
// the end of the pass. Photo Search keeps its bytes in memory (for the thumbnail); Signature and Video
// Search write them straight to the output file, so a long video costs no memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace salvora {

struct PendingFile {
    std::string extension;   // of the matching type, dot kept
    std::string maximumSize; // decimal text
    std::uint64_t maximumBytes = 0;
    std::string fileName;
    std::string folder;            // the type's output folder
    std::string savedPath;         // where the bytes go (known once the output file exists)
    std::size_t start = 0;         // the next unsaved byte in the current chunk
    std::uint64_t accumulated = 0; // bytes added at chunk ends

    bool inMemory = false;
    std::vector<std::byte> bytes; // Photo Search
    int fd = -1;                  // Signature and Video Search
    bool failed = false;          // could not be created or a write failed
    int error = 0;                // errno of the failure
};

// Creates the output file of a streamed pending file in its folder under its name (the first free
// "_dd_N" name when that exists) and records the path. False with failed and error set when it cannot.
bool openStreamedFile(PendingFile& file);

// Adds bytes to the file: to memory, or written to its output file. A failed write marks the file failed
// and later bytes are dropped.
void appendToPendingFile(PendingFile& file, std::span<const std::byte> bytes);

// Writes an in-memory file to its folder under its name (or the first free "_dd_N" name), recording the path.
bool storeInMemoryFile(PendingFile& file);

// Closes a streamed file's output; false when closing reported a failure.
bool closeStreamedFile(PendingFile& file);

} // namespace salvora
