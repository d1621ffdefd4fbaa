// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/file_name.h"

#include "base/text.h"
#include "fsrecovery/ntfs/mft_record.h"

namespace salvora {

namespace {

constexpr std::size_t kNameLengthOffset = 0x40;
constexpr std::size_t kNamespaceOffset = 0x41;
constexpr std::size_t kNameOffset = 0x42;

} // namespace

FileNameHit FindFileName(ByteSpan record, std::uint8_t nameSpace, bool buildName) {
    FileNameHit hit;
    forEachAttribute(record, [&](const AttributeView& attribute) {
        if (attribute.type != ntfs_attribute::FileName || !attribute.unnamed() || attribute.nonResident)
            return true;
        const ByteSpan value = attribute.value();
        const std::size_t nameBytes = std::size_t{le8(value, kNameLengthOffset)} * 2;
        if (!hasBytes(value, kNameOffset, nameBytes) || le8(value, kNamespaceOffset) != nameSpace)
            return true;
        hit.found = true;
        hit.parent = static_cast<std::uint32_t>(le64(value, 0));
        hit.created = le64(value, 8);
        if (buildName)
            hit.name = utf16leToUtf8(value.subspan(kNameOffset, nameBytes));
        return false;
    });
    return hit;
}

FileNameHit chooseRecordName(ByteSpan record, std::uint32_t recordNumber, bool wantName,
                             const MftRecordFetcher& fetch) {
    const bool buildName = wantName || parseMftRecordHeader(record).isDirectory();
    std::vector<std::byte> other;
    for (const std::uint32_t source : ReadAttributeSources(record, recordNumber)) {
        ByteSpan sourceRecord = record;
        if (source != recordNumber) {
            if (!fetch || !fetch(source, other))
                continue;
            sourceRecord = other;
        }
        for (const std::uint8_t nameSpace : kFileNameNamespaceOrder) {
            FileNameHit hit = FindFileName(sourceRecord, nameSpace, buildName);
            if (hit.found)
                return hit;
        }
    }
    return {};
}

} // namespace salvora
