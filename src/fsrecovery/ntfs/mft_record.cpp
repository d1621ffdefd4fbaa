// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/mft_record.h"

#include <algorithm>

namespace salvora {

namespace {

// The walk ends before the record's last byte: an attribute cannot start there.
constexpr std::size_t kAttributeWalkLimit = 1023;
constexpr std::size_t kDefaultRunListOffset = 0x40;
constexpr std::size_t kAttributeListEntryMinBytes = 0x18;

} // namespace

bool hasFileSignature(ByteSpan record) {
    return bytesEqual(record, 0, "FILE");
}

MftRecordHeader parseMftRecordHeader(ByteSpan record) {
    MftRecordHeader header;
    header.firstAttribute = le16(record, 0x14);
    header.flags = le16(record, 0x16);
    header.baseReference = le64(record, 0x20);
    return header;
}

std::uint32_t AttributeView::valueLength() const {
    return le32(bytes, 0x10);
}

ByteSpan AttributeView::value() const {
    const std::size_t valueOffset = le16(bytes, 0x14);
    const std::size_t length = valueLength();
    if (nonResident || !hasBytes(bytes, valueOffset, length))
        return {};
    return bytes.subspan(valueOffset, length);
}

std::uint64_t AttributeView::realSize() const {
    return le64(bytes, 0x30);
}

ByteSpan AttributeView::runList() const {
    std::size_t offset = le16(bytes, 0x20);
    // A run-list offset inside the fixed header is damage; the unnamed, uncompressed layout puts it at 0x40.
    if (offset < kDefaultRunListOffset || offset >= bytes.size())
        offset = kDefaultRunListOffset;
    if (!nonResident || offset >= bytes.size())
        return {};
    return bytes.subspan(offset);
}

bool attributeAt(ByteSpan record, std::size_t offset, AttributeView& attribute) {
    const std::size_t limit = std::min(kAttributeWalkLimit, record.size());
    if (offset >= limit || !hasBytes(record, offset, 8))
        return false;
    attribute = AttributeView{};
    attribute.offset = offset;
    attribute.type = le32(record, offset);
    if (attribute.type == 0 || attribute.type == ntfs_attribute::EndMarker)
        return false;
    attribute.length = le32(record, offset + 4);
    if (attribute.length == 0 || !hasBytes(record, offset, attribute.length))
        return false;
    attribute.bytes = record.subspan(offset, attribute.length);
    attribute.nonResident = le8(attribute.bytes, 8) != 0;
    attribute.nameLength = le8(attribute.bytes, 9);
    return true;
}

bool findAttribute(ByteSpan record, std::uint32_t type, bool unnamedOnly, AttributeView& found) {
    bool hit = false;
    forEachAttribute(record, [&](const AttributeView& attribute) {
        if (attribute.type != type || (unnamedOnly && !attribute.unnamed()))
            return true;
        found = attribute;
        hit = true;
        return false;
    });
    return hit;
}

std::vector<AttributeListEntry> parseAttributeList(ByteSpan value) {
    std::vector<AttributeListEntry> entries;
    std::size_t offset = 0;
    while (hasBytes(value, offset, kAttributeListEntryMinBytes)) {
        AttributeListEntry entry;
        entry.type = le32(value, offset);
        entry.length = le16(value, offset + 4);
        if (entry.type == 0 || entry.type == ntfs_attribute::EndMarker || entry.length == 0)
            break;
        if (!hasBytes(value, offset, entry.length))
            break;
        entry.nameLength = le8(value, offset + 6);
        entry.startingVcn = le64(value, offset + 8);
        entry.reference = le64(value, offset + 0x10);
        entries.push_back(entry);
        offset += entry.length;
    }
    return entries;
}

std::vector<AttributeListEntry> residentAttributeList(ByteSpan record) {
    AttributeView list;
    if (!findAttribute(record, ntfs_attribute::AttributeList, false, list) || list.nonResident)
        return {};
    return parseAttributeList(list.value());
}

std::vector<std::uint32_t> ReadAttributeSources(ByteSpan record, std::uint32_t recordNumber) {
    std::vector<std::uint32_t> sources{recordNumber};
    for (const AttributeListEntry& entry : residentAttributeList(record))
        if (std::find(sources.begin(), sources.end(), entry.recordNumber()) == sources.end())
            sources.push_back(entry.recordNumber());
    return sources;
}

DataSizeResult findDataSize(ByteSpan record) {
    AttributeView data;
    if (!findAttribute(record, ntfs_attribute::Data, true, data))
        return {};
    return {true, data.nonResident ? data.realSize() : data.valueLength()};
}

} // namespace salvora
