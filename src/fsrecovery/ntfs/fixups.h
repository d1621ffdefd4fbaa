// SPDX-License-Identifier: GPL-3.0-or-later
// The update sequence of multi-sector NTFS records. When a record is written, the last two bytes of each of
// its 512-byte sectors are replaced by a check value and the original bytes are kept in the update sequence
// array of the record's header; a reader puts them back before it looks at the record.
#pragma once

#include <cstddef>
#include <span>

namespace salvora {

// Record header fields used:
//   0x04 u16  offset of the update sequence array
//   0x06 u16  entries in the array: the check value plus one entry per sector
// Copies array entry i + 1 over the last two bytes of sector i for every whole sector of the first byteCount
// bytes. The check value is not compared with the sector ends: a torn record is still read. An array that
// lies outside the record is applied only as far as it lies inside (hostile headers never read past it).
void ApplyFixups(std::span<std::byte> record, std::size_t byteCount);

} // namespace salvora
