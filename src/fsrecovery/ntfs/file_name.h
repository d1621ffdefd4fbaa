// SPDX-License-Identifier: GPL-3.0-or-later
// Names of MFT records, from their $FILE_NAME attributes. A record may carry several: a long name in the
// Win32 namespace (1) with a DOS short name (2), one name valid in both (3), or a POSIX name (0). The name
// shown is the first found trying 1, 3, 2, then 0, first in the record itself and then in the records its
// attribute list names.
//
// $FILE_NAME value (resident, unnamed attribute):
//   0x00 u64 parent reference (low 32 bits used as the parent record number)
//   0x08 u64 creation time, FILETIME
//   0x40 u8  name length in characters
//   0x41 u8  namespace: 0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS
//   0x42     name, UTF-16LE
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/bytes.h"

namespace salvora {

inline constexpr std::array<std::uint8_t, 4> kFileNameNamespaceOrder{1, 3, 2, 0};

struct FileNameHit {
    bool found = false;
    std::uint32_t parent = 0;
    std::string name; // UTF-8; built only when asked for
    std::uint64_t created = 0;
};

// Looks in one record (fix-ups applied) for the first unnamed, resident $FILE_NAME of the namespace whose
// value holds its whole name. The name is built when buildName is set.
FileNameHit FindFileName(ByteSpan record, std::uint8_t nameSpace, bool buildName);

// Reads record n of the $MFT into out (1024 bytes, fix-ups applied); false when it cannot be read or does
// not carry "FILE".
using MftRecordFetcher = std::function<bool(std::uint32_t recordNumber, std::vector<std::byte>& out)>;

// The name, parent and creation time of a record (fix-ups applied): for each of its attribute sources in
// order, the namespaces 1, 3, 2, 0; the first hit ends the search. Without a hit, found is false and the
// parent 0. Directories always get their name built; other records when wantName is set. fetch reads the
// other records an attribute list names; it may be empty (then only the record itself is searched).
FileNameHit chooseRecordName(ByteSpan record, std::uint32_t recordNumber, bool wantName,
                             const MftRecordFetcher& fetch);

} // namespace salvora
