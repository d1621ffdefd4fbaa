// SPDX-License-Identifier: GPL-3.0-or-later
// FAT directory entries and their names: the input is a run of directory sectors; every entry of the last
// one is parsed and named, long names reaching back into the sectors before it.
#include <array>
#include <cstdint>
#include <cstring>

#include "fsrecovery/fat/directory_entry.h"
#include "fsrecovery/fat/fat_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    using namespace salvora::fat;
    const std::size_t sectors = size / 512;
    if (sectors == 0)
        return 0;
    auto sectorAt = [&](std::uint64_t n) {
        return ByteSpan(reinterpret_cast<const std::byte*>(data) + n * 512, 512);
    };
    PrecedingSectorReader readPreceding = [&](std::uint64_t sector, std::uint64_t& preceding,
                                              std::array<std::byte, 512>& out) {
        if (sector == 0 || sector > sectors)
            return false;
        preceding = sector - 1;
        std::memcpy(out.data(), sectorAt(preceding).data(), out.size());
        return true;
    };
    const std::uint64_t last = sectors - 1;
    ByteSpan sector = sectorAt(last);
    (void)isDirectoryStart(sector);
    for (std::size_t offset = 0; offset < 512; offset += kEntrySize) {
        for (bool fat32 : {false, true})
            (void)parseShortEntry(sector, offset, fat32);
        (void)isDotEntry(sector, offset);
        ShortNameText shortName = ShortName(sector, offset);
        std::string longName = LongName(sector, offset, last, readPreceding);
        std::string name = EntryName(longName, shortName.text);
        (void)IsValidName(name);
        (void)IsValidLongName(name);
        (void)NameEntry(sector, offset, last, readPreceding);
    }
    return 0;
}
