// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/boot_sector.h"

namespace salvora {

bool hasBootSignature(ByteSpan sector) { return le8(sector, 0x1FE) == 0x55 && le8(sector, 0x1FF) == 0xAA; }

bool isGptHeader(ByteSpan sector) { return bytesEqual(sector, 0, "EFI"); }

std::string fileSystemLabel(ByteSpan sector) {
    if (bytesEqual(sector, 0x52, "FAT32"))
        return "FAT32";
    if (bytesEqual(sector, 0x36, "FAT16"))
        return "FAT16";
    if (bytesEqual(sector, 3, "NTFS"))
        return "NTFS";
    return {};
}

FatBootFields parseFatBootFields(ByteSpan sector) {
    FatBootFields f;
    f.sectorsPerCluster = le8(sector, 0x0D);
    f.reservedSectors = le16(sector, 0x0E);
    f.rootEntries = le16(sector, 0x11);
    f.sectorsPerFat16 = le16(sector, 0x16);
    f.sectorsPerFat32 = le32(sector, 0x24);
    f.rootCluster = le32(sector, 0x2C);
    return f;
}

NtfsBootFields parseNtfsBootFields(ByteSpan sector) {
    NtfsBootFields f;
    f.sectorsPerCluster = le8(sector, 0x0D);
    f.mftCluster = le32(sector, 0x30);
    f.mftMirrorCluster = le32(sector, 0x38);
    f.clustersPerMftRecord = le32(sector, 0x40);
    f.clustersPerIndexRecord = le32(sector, 0x44);
    return f;
}

std::string reportedFileSystemName(ByteSpan sector) {
    if (!hasBootSignature(sector))
        return {};
    if (bytesEqual(sector, 3, "NTFS    "))
        return "NTFS";
    if (bytesEqual(sector, 3, "EXFAT   "))
        return "exFAT";
    if (bytesEqual(sector, 0x52, "FAT32"))
        return "FAT32";
    if (bytesEqual(sector, 0x36, "FAT"))
        return "FAT";
    return {};
}

} // namespace salvora
