// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a file of an NTFS volume from its MFT record: the unnamed $DATA attribute, kept inside the record
// (resident) or in clusters described by its run list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "save/file_copier.h"

namespace salvora {

enum class UnnamedData { None = 0, Resident = 1, NonResident = 2 };

struct UnnamedDataAttribute {
    UnnamedData kind = UnnamedData::None;
    std::size_t offset = 0; // of the attribute in the record
};

// Finds the unnamed $DATA attribute (type 0x80, name length 0) of a 1024-byte record whose fix-ups are
// applied. Record and attribute fields used:
//   record 0x14 u16  offset of the first attribute
//   attr   0x00 u32  type (0 or 0xFFFFFFFF ends the list)   0x04 u32 length
//   attr   0x08 u8   non-resident flag                       0x09 u8  name length
UnnamedDataAttribute FindUnnamedData(ByteSpan record);

// The clusters of a non-resident attribute at attributeOffset, from its run list (attr 0x20 u16 offset of the
// mapping pairs), read no further than limit bytes into the record. Empty when the list cannot be decoded.
// Runs without an offset (sparse) come back as sparse extents, which are saved as zeros.
std::vector<ClusterExtent> DecodeDataRuns(ByteSpan record, std::size_t limit, std::size_t attributeOffset);

// Writes one file of the volume in context from its MFT record.
void SaveNtfsFile(SaveContext& context, FileSaveRequest request);

} // namespace salvora
