// SPDX-License-Identifier: GPL-3.0-or-later
// MFT file records and their attributes, read from a record already in memory (fix-ups applied). Pure and
// bounds-checked: a field outside the record reads as zero, an attribute that would run past the record ends
// the walk, and every walk is bounded by the record's size.
//
// Record header (offsets in bytes):
//   0x00 4   "FILE"
//   0x04 u16 offset of the update sequence array
//   0x06 u16 entries in the update sequence array
//   0x14 u16 offset of the first attribute
//   0x16 u16 flags: 0x01 in use, 0x02 directory
//   0x20 u64 base record reference: 0 for a base record, else the record this one extends
//
// Attribute header:
//   0x00 u32 type (0 or 0xFFFFFFFF ends the list)
//   0x04 u32 total length
//   0x08 u8  non-resident flag
//   0x09 u8  name length in characters (0: unnamed)
//   resident:     0x10 u32 value length, 0x14 u16 value offset
//   non-resident: 0x20 u16 offset of the run list, 0x30 u64 real size
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bytes.h"

namespace salvora {

inline constexpr std::size_t kMftRecordBytes = 1024;
inline constexpr std::uint32_t kMftRecordSectors = 2;
inline constexpr std::uint32_t kNtfsRootRecord = 5;

namespace ntfs_attribute {
inline constexpr std::uint32_t AttributeList = 0x20;
inline constexpr std::uint32_t FileName = 0x30;
inline constexpr std::uint32_t Data = 0x80;
inline constexpr std::uint32_t EndMarker = 0xFFFFFFFF;
} // namespace ntfs_attribute

// True when the record begins with "FILE".
bool hasFileSignature(ByteSpan record);

struct MftRecordHeader {
    std::uint16_t firstAttribute = 0;
    std::uint16_t flags = 0;
    std::uint64_t baseReference = 0;
    // An extension record holds attributes of another record (named in that record's attribute list); it is
    // not a file or folder of its own.
    bool isExtension() const { return (baseReference & 0x0000FFFFFFFFFFFFull) != 0; }
    bool inUse() const { return (flags & 0x01) != 0; }
    // Directories carry 0x02: 2 deleted, 3 in use; 0x04 is added to directories of $Extend.
    bool isDirectory() const { return (flags & 0x02) != 0; }
};
MftRecordHeader parseMftRecordHeader(ByteSpan record);

struct AttributeView {
    std::size_t offset = 0; // within the record
    std::uint32_t type = 0;
    std::uint32_t length = 0;
    bool nonResident = false;
    std::uint8_t nameLength = 0;
    ByteSpan bytes; // the whole attribute, length bytes

    bool unnamed() const { return nameLength == 0; }
    // Resident: the value length field as stored, and the value when it lies inside the attribute (else
    // empty).
    std::uint32_t valueLength() const;
    ByteSpan value() const;
    // Non-resident: the real size and the run list (from the run-list offset to the attribute's end; empty
    // when the offset lies outside the attribute).
    std::uint64_t realSize() const;
    ByteSpan runList() const;
};

// One step of the attribute walk: reads the attribute at offset into attribute; false where the walk ends
// (offset at 1023 or beyond, outside the record, type 0 or 0xFFFFFFFF, length 0 or past the record).
bool attributeAt(ByteSpan record, std::size_t offset, AttributeView& attribute);

// Walks the attributes from the first-attribute offset while the offset stays below 1023 and inside the
// record; stops at type 0 or 0xFFFFFFFF, at a length of 0, at a length that would carry the walk past the
// record, or when visit returns false. Attributes shorter than their fixed header are passed over.
template <typename Visit> void forEachAttribute(ByteSpan record, Visit&& visit) {
    std::size_t offset = parseMftRecordHeader(record).firstAttribute;
    AttributeView attribute;
    while (attributeAt(record, offset, attribute)) {
        if (attribute.length >= 16 && !visit(static_cast<const AttributeView&>(attribute)))
            return;
        offset += attribute.length;
    }
}

// The first attribute of the type (unnamed when asked), if any.
bool findAttribute(ByteSpan record, std::uint32_t type, bool unnamedOnly, AttributeView& found);

// An entry of a resident $ATTRIBUTE_LIST:
//   0x00 u32 type, 0x04 u16 entry length, 0x06 u8 name length, 0x08 u64 starting VCN,
//   0x10 u64 MFT reference of the record holding the attribute (low 48 bits: record number)
struct AttributeListEntry {
    std::uint32_t type = 0;
    std::uint16_t length = 0;
    std::uint8_t nameLength = 0;
    std::uint64_t startingVcn = 0;
    std::uint64_t reference = 0;
    std::uint32_t recordNumber() const { return static_cast<std::uint32_t>(reference); }
};

// The entries of an $ATTRIBUTE_LIST value, until an entry of type 0 or 0xFFFFFFFF, of length 0, or one that
// runs past the value.
std::vector<AttributeListEntry> parseAttributeList(ByteSpan value);

// The entries of the record's resident $ATTRIBUTE_LIST; empty when it has none (a non-resident list of an
// ordinary record is not followed).
std::vector<AttributeListEntry> residentAttributeList(ByteSpan record);

// The record itself first, then the record numbers named by its resident $ATTRIBUTE_LIST in list order, each
// number once.
std::vector<std::uint32_t> ReadAttributeSources(ByteSpan record, std::uint32_t recordNumber);

// The size of the first unnamed $DATA: the real size when non-resident, the value length when resident.
struct DataSizeResult {
    bool found = false;
    std::uint64_t size = 0;
};
DataSizeResult findDataSize(ByteSpan record);
inline std::uint64_t DataSize(ByteSpan record) {
    return findDataSize(record).size;
}

} // namespace salvora
