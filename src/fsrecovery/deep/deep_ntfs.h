// SPDX-License-Identifier: GPL-3.0-or-later
// The NTFS branch of Deep Search: every sector of the range that begins an NTFS file record of 1024 bytes
// is read as one. Directory records become folders, linked through their own record numbers (0x2C) and the
// parent references of their $FILE_NAME; other records go into the file index (NtfsItemTable) keyed by
// parent and sector, and are read again at that sector when their folder is listed. The $MFT itself is
// never located.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/bytes.h"
#include "fsrecovery/deep/deep_search.h"
#include "fsrecovery/file_list.h"

namespace salvora {

// What one record found by the scan would give, decided from its bytes alone.
struct DeepMftRecord {
    enum class Kind : std::uint8_t {
        Ignored, // not a record, or a directory without a usable name (or named ".")
        Folder,  // a directory record
        File,    // any other record
    };
    Kind kind = Kind::Ignored;
    std::uint32_t self = 0;    // the record's own number, 32 bits at 0x2C
    std::uint32_t parent = 0;  // low 32 bits of the $FILE_NAME parent reference; 0 without a name
    std::string name;          // trimmed; empty when no $FILE_NAME was found
    std::uint64_t created = 0; // creation FILETIME of the $FILE_NAME; 0 without one
    bool inUse = false;        // flag 0x01
};

// True when the sector may begin a file record: "FILE" and an allocated size (u16 at 0x1C) of 1024.
bool looksLikeDeepMftRecord(ByteSpan sector);

// Classifies a record of 1024 bytes read at a sector (fix-ups not applied yet; they are applied to a copy).
DeepMftRecord parseDeepMftRecord(ByteSpan record);

// The Deep Search of the context's range for NTFS file records, with the tree built from them.
// (RunDeepNtfsSearch is declared in deep_search.h.)

// The walker that lists the folders a Deep NTFS run found: each file's record is read at the sector its
// file-index key names. Null when the context names no device.
std::unique_ptr<FolderFileWalker> DeepNtfsFolderWalker(DeepSearchContext& context);

} // namespace salvora
