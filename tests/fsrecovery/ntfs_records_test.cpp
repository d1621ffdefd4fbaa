// SPDX-License-Identifier: GPL-3.0-or-later
// The pure NTFS parsers: update sequences, run lists, records and attributes, attribute lists, names, the
// $MFT run table. Real records cut from an image mkntfs made, then one-field corruptions of them.
#include <gtest/gtest.h>

#include <fstream>

#include "fsrecovery/ntfs/data_runs.h"
#include "fsrecovery/ntfs/file_name.h"
#include "fsrecovery/ntfs/fixups.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/mft_runs.h"
#include "fsrecovery/ntfs/ntfs_item_table.h"
#include "support/fixtures.h"
#include "volumes/volume_parameters.h"

namespace salvora::test {
namespace {

std::vector<std::byte> bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (int v : values)
        out.push_back(static_cast<std::byte>(v));
    return out;
}

std::vector<std::byte> readFile(const std::string& path, std::uint64_t offset, std::size_t count) {
    std::vector<std::byte> out(count);
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(count));
    out.resize(static_cast<std::size_t>(file.gcount()));
    return out;
}

void put16(std::vector<std::byte>& record, std::size_t offset, std::uint16_t value) {
    record[offset] = static_cast<std::byte>(value);
    record[offset + 1] = static_cast<std::byte>(value >> 8);
}

// Record n of the ntfscp fixture, as stored (no fix-ups applied), and the volume's parameters.
struct PlainVolume {
    VolumeParameters params;
    std::string path = fixturePath("ntfs/plain.img");
    PlainVolume() {
        VolumeState volumes;
        DeviceNamespace devices;
        devices.setPhysicalDisk(0, std::make_shared<FileMedium>(path));
        volumes.selectedVolume = {physicalDrivePath(0), "NTFS", 0, 32768};
        EXPECT_TRUE(ComputeVolumeParameters(volumes, devices));
        params = volumes.volumeParameters;
    }
    std::vector<std::byte> raw(std::uint32_t n) const {
        return readFile(path, (params.MftStartSector + 2 * n) * 512, kMftRecordBytes);
    }
    std::vector<std::byte> record(std::uint32_t n) const {
        auto r = raw(n);
        ApplyFixups(r, r.size());
        return r;
    }
};

TEST(NtfsFixups, SectorEndsTakeTheValuesKeptInTheArray) {
    PlainVolume volume;
    std::vector<std::byte> record = volume.raw(0);
    ASSERT_TRUE(hasFileSignature(record));
    const std::size_t array = le16(record, 4);
    ASSERT_EQ(le16(record, 6), 3) << "check value plus two sectors";
    const std::uint16_t check = le16(record, array);
    EXPECT_EQ(le16(record, 510), check);
    EXPECT_EQ(le16(record, 1022), check);
    ApplyFixups(record, record.size());
    EXPECT_EQ(le16(record, 510), le16(record, array + 2));
    EXPECT_EQ(le16(record, 1022), le16(record, array + 4));
}

TEST(NtfsFixups, ArraysOutOfRangeChangeNothingOutsideTheRecord) {
    struct Case {
        const char* what;
        std::uint16_t offset;
        std::uint16_t count;
        bool sectorEndsChange;
    };
    const Case cases[] = {
        {"no entries", 48, 0, false},
        {"only the check value", 48, 1, false},
        {"array offset past the record", 0xFFF0, 3, false},
        {"array at the record's very end", 1022, 3, false},
        {"more entries than sectors", 48, 0xFFFF, false},
        {"array whose last entry lies past the record", 1018, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Every 16-bit word holds its own position, so any copy shows.
        std::vector<std::byte> record(1024);
        for (std::size_t i = 0; i < record.size(); i += 2)
            put16(record, i, static_cast<std::uint16_t>(i));
        put16(record, 4, c.offset);
        put16(record, 6, c.count);
        ApplyFixups(record, record.size());
        EXPECT_EQ(le16(record, 510) != 510 || le16(record, 1022) != 1022, c.sectorEndsChange);
    }
    // A byte count below the span only touches the sectors it covers.
    std::vector<std::byte> record(1024, std::byte{0x22});
    put16(record, 4, 48);
    put16(record, 6, 3);
    put16(record, 50, 0xAAAA);
    put16(record, 52, 0xBBBB);
    ApplyFixups(record, 512);
    EXPECT_EQ(le16(record, 510), 0xAAAA);
    EXPECT_EQ(le16(record, 1022), 0x2222);
}

TEST(NtfsDataRuns, DecodesEachRunAlone) {
    struct Case {
        const char* what;
        std::vector<std::byte> encoded;
        RunStatus status;
        std::uint64_t count;
        std::int64_t offset;
        bool sparse;
        std::size_t consumed;
    };
    const Case cases[] = {
        {"end marker", bytes({0x00}), RunStatus::End, 0, 0, false, 1},
        {"one-byte length and offset", bytes({0x11, 0x30, 0x40}), RunStatus::Run, 0x30, 0x40, false, 3},
        {"negative one-byte offset", bytes({0x11, 0x08, 0xF0}), RunStatus::Run, 8, -16, false, 3},
        {"negative two-byte offset", bytes({0x21, 0x01, 0x00, 0x80}), RunStatus::Run, 1, -32768, false, 4},
        {"positive with a leading zero byte", bytes({0x21, 0x01, 0xFF, 0x00}), RunStatus::Run, 1, 255, false,
         4},
        {"sparse run", bytes({0x01, 0x10}), RunStatus::Run, 16, 0, true, 2},
        {"eight-byte fields",
         bytes({0x88, 1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
         RunStatus::Run, 1, -1, false, 17},
        {"nine-byte length", bytes({0x19, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}), RunStatus::Damaged, 0, 0, false, 0},
        {"no length bytes", bytes({0x10, 0x05}), RunStatus::Damaged, 0, 0, false, 0},
        {"fields past the end", bytes({0x33, 0x01, 0x02}), RunStatus::Damaged, 0, 0, false, 0},
        {"nothing at all", bytes({}), RunStatus::Damaged, 0, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodedRun decoded = DecodeDataRun(c.encoded);
        EXPECT_EQ(decoded.status, c.status);
        EXPECT_EQ(decoded.consumed, c.consumed);
        if (c.status == RunStatus::Run) {
            EXPECT_EQ(decoded.run.clusterCount, c.count);
            EXPECT_EQ(decoded.run.clusterOffset, c.offset);
            EXPECT_EQ(decoded.run.sparse, c.sparse);
        }
    }
}

TEST(NtfsDataRuns, OffsetsAreRelativeAndSparseRunsDoNotMoveThem) {
    // 4 clusters at 64; a sparse gap of 2; 8 clusters 16 before the first run's start; 1 cluster 0x100 later.
    const RunList list = DecodeRunList(
        bytes({0x11, 0x04, 0x40, 0x01, 0x02, 0x11, 0x08, 0xF0, 0x21, 0x01, 0x00, 0x01, 0x00}), 100);
    EXPECT_FALSE(list.damaged);
    ASSERT_EQ(list.runs.size(), 4u);
    EXPECT_EQ(list.runs[0].firstCluster, 64u);
    EXPECT_TRUE(list.runs[1].sparse);
    EXPECT_EQ(list.runs[2].firstCluster, 48u);
    EXPECT_EQ(list.runs[2].clusterCount, 8u);
    EXPECT_EQ(list.runs[3].firstCluster, 48u + 0x100);
}

TEST(NtfsDataRuns, DamageEndsTheListAndKeepsWhatCameBefore) {
    struct Case {
        const char* what;
        std::vector<std::byte> encoded;
        std::size_t runs;
    };
    const Case cases[] = {
        {"a run before cluster 0", bytes({0x11, 0x01, 0x05, 0x11, 0x01, 0xF0, 0x00}), 1},
        {"no end marker", bytes({0x11, 0x01, 0x05}), 1},
        {"truncated second run", bytes({0x11, 0x01, 0x05, 0x44, 0x01}), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunList list = DecodeRunList(c.encoded, 100);
        EXPECT_TRUE(list.damaged);
        EXPECT_EQ(list.runs.size(), c.runs);
    }
    // The run count is bounded whatever the bytes say.
    std::vector<std::byte> many;
    for (int i = 0; i < 300; ++i)
        for (std::byte b : bytes({0x11, 0x01, 0x01}))
            many.push_back(b);
    EXPECT_EQ(DecodeRunList(many, 100).runs.size(), 100u);
}

TEST(NtfsMftRuns, RecordSectorWalksTheRunsInFileOrder) {
    MftRunTable table;
    table.append({1000, 8, false});
    table.append({0, 4, true});
    table.append({500, 6, false});
    EXPECT_EQ(table.totalSectors(), 18u);
    EXPECT_EQ(table.RecordSector(0), 1000u);
    EXPECT_EQ(table.RecordSector(3), 1006u);
    EXPECT_EQ(table.RecordSector(4), 0u) << "inside the sparse run";
    EXPECT_EQ(table.RecordSector(6), 500u);
    EXPECT_EQ(table.RecordSector(8), 504u);
    EXPECT_EQ(table.RecordSector(9), 0u) << "beyond the runs";
    EXPECT_EQ(table.RecordSector(~std::uint64_t{0}), 0u);
    EXPECT_EQ(table.recordNumberAt(504), 8u);
    EXPECT_FALSE(table.recordNumberAt(505).has_value());
    EXPECT_FALSE(table.recordNumberAt(999).has_value());
}

TEST(NtfsMftRuns, SecondRunWithANegativeOneByteOffset) {
    PlainVolume volume;
    std::vector<std::byte> record0 = volume.raw(0);
    AttributeView data;
    const std::vector<std::byte> fixed = volume.record(0);
    ASSERT_TRUE(findAttribute(fixed, ntfs_attribute::Data, true, data));
    // The $MFT's run list, rewritten: 19 clusters at 64, then 8 clusters 16 clusters before that.
    std::size_t at = data.offset + le16(data.bytes, 0x20);
    for (std::byte b : bytes({0x11, 0x13, 0x40, 0x11, 0x08, 0xF0, 0x00}))
        record0[at++] = b;
    ASSERT_LE(at, data.offset + data.length);
    const MftRunTable table = buildMftRunTable(record0, volume.params, {});
    ASSERT_EQ(table.runs().size(), 2u);
    const std::uint64_t spc = volume.params.SPC;
    EXPECT_EQ(table.runs()[0].startSector, volume.params.Cluster0Start + 64 * spc);
    EXPECT_EQ(table.runs()[0].sectorCount, 19 * spc);
    EXPECT_EQ(table.runs()[1].startSector, volume.params.Cluster0Start + 48 * spc);
    EXPECT_EQ(table.runs()[1].sectorCount, 8 * spc);
    EXPECT_EQ(table.RecordSector(19 * spc / 2), volume.params.Cluster0Start + 48 * spc);
    // Without the signature nothing is decoded.
    record0[0] = std::byte{'X'};
    EXPECT_TRUE(buildMftRunTable(record0, volume.params, {}).empty());
}

TEST(NtfsRecords, AttributeWalkStopsAtDamage) {
    PlainVolume volume;
    const std::vector<std::byte> good = volume.record(5);
    std::vector<std::uint32_t> types;
    forEachAttribute(good, [&](const AttributeView& a) {
        types.push_back(a.type);
        return true;
    });
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types[0], 0x10u);
    EXPECT_EQ(types[1], 0x30u);

    const std::size_t first = le16(good, 0x14);
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
        std::size_t width;
        int attributes; // -1: any number, as long as the walk ends
    };
    const Case cases[] = {
        {"first attribute offset past the walk limit", 0x14, 1023, 2, 0},
        {"first attribute offset at the record's end", 0x14, 1020, 2, 0},
        {"type 0", first, 0, 4, 0},
        {"length 0", first + 4, 0, 4, 0},
        {"length past the record", first + 4, 1024, 4, 0},
        {"length of a few bytes", first + 4, 4, 4, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::byte> record = good;
        for (std::size_t i = 0; i < c.width; ++i)
            record[c.offset + i] = static_cast<std::byte>(c.value >> (8 * i));
        std::size_t seen = 0;
        forEachAttribute(record, [&](const AttributeView&) {
            ++seen;
            return true;
        });
        if (c.attributes >= 0) {
            EXPECT_EQ(seen, static_cast<std::size_t>(c.attributes));
        }
        EXPECT_LE(seen, 1024u);
    }
    // A record cut short never reads past its end.
    for (std::size_t size : {0u, 8u, 0x16u, 100u, 700u})
        forEachAttribute(ByteSpan(good).first(size),
                         [](const AttributeView& a) { return a.bytes.size() > 0; });
}

TEST(NtfsRecords, RootAndFileNamesDatesAndSizes) {
    PlainVolume volume;
    const std::vector<std::byte> root = volume.record(5);
    EXPECT_TRUE(parseMftRecordHeader(root).isDirectory());
    EXPECT_TRUE(parseMftRecordHeader(root).inUse());
    const FileNameHit dot = chooseRecordName(root, 5, false, {});
    ASSERT_TRUE(dot.found);
    EXPECT_EQ(dot.name, ".") << "directories always get their names";
    EXPECT_EQ(dot.parent, 5u);

    const std::vector<std::byte> mft = volume.record(0);
    const FileNameHit unnamed = chooseRecordName(mft, 0, false, {});
    ASSERT_TRUE(unnamed.found);
    EXPECT_EQ(unnamed.name, "") << "file names are built only when asked for";
    EXPECT_EQ(chooseRecordName(mft, 0, true, {}).name, "$MFT");
    EXPECT_GT(unnamed.created, 116444736000000000ull) << "after 1970";
    EXPECT_TRUE(findDataSize(mft).found);
    EXPECT_GT(DataSize(mft), 0u);
    EXPECT_EQ(DataSize(mft) % kMftRecordBytes, 0u) << "the $MFT holds whole records";
    EXPECT_FALSE(findDataSize(root).found) << "directories have no unnamed $DATA";
    EXPECT_EQ(DataSize(root), 0u);
}

TEST(NtfsRecords, NamespacesAreTriedWin32ThenBothThenDosThenPosix) {
    PlainVolume volume;
    const std::vector<std::byte> record = volume.record(0);
    AttributeView name;
    ASSERT_TRUE(findAttribute(record, ntfs_attribute::FileName, true, name));
    const std::size_t namespaceByte = name.offset + le16(name.bytes, 0x14) + 0x41;
    for (int nameSpace : {0, 1, 2, 3}) {
        SCOPED_TRACE(nameSpace);
        std::vector<std::byte> patched = record;
        patched[namespaceByte] = static_cast<std::byte>(nameSpace);
        EXPECT_EQ(chooseRecordName(patched, 0, true, {}).name, "$MFT");
        for (int other : {0, 1, 2, 3})
            EXPECT_EQ(FindFileName(patched, static_cast<std::uint8_t>(other), true).found,
                      other == nameSpace);
    }
    std::vector<std::byte> unknown = record;
    unknown[namespaceByte] = std::byte{7};
    EXPECT_FALSE(chooseRecordName(unknown, 0, true, {}).found);
    // A name longer than its value is not used.
    std::vector<std::byte> tooLong = record;
    tooLong[namespaceByte - 1] = std::byte{0xFF};
    EXPECT_FALSE(chooseRecordName(tooLong, 0, true, {}).found);
}

TEST(NtfsRecords, AttributeListEntriesEndAtZeroTypeOrLength) {
    std::vector<std::byte> value(3 * 0x20, std::byte{0});
    const auto entry = [&](std::size_t at, std::uint32_t type, std::uint16_t length,
                           std::uint64_t reference) {
        for (std::size_t i = 0; i < 4; ++i)
            value[at + i] = static_cast<std::byte>(type >> (8 * i));
        put16(value, at + 4, length);
        for (std::size_t i = 0; i < 8; ++i)
            value[at + 0x10 + i] = static_cast<std::byte>(reference >> (8 * i));
    };
    entry(0, 0x30, 0x20, 0x0001000000000040ull);
    entry(0x20, 0x80, 0x20, 41);
    entry(0x40, 0x80, 0, 42);
    const auto entries = parseAttributeList(value);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].recordNumber(), 0x40u) << "the sequence number is not part of the record number";
    EXPECT_EQ(entries[1].recordNumber(), 41u);
    entry(0x20, 0x80, 0x400, 41); // runs past the value
    EXPECT_EQ(parseAttributeList(value).size(), 1u);
}

TEST(NtfsItemKey, ParentAndSectorRoundTrip) {
    EXPECT_EQ(makeNtfsItemKey(5, 12345678901ull), "5|12345678901|");
    const auto key = parseNtfsItemKey("4294967295|18446744073709551615|");
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->parent, 4294967295u);
    EXPECT_EQ(key->sector, 18446744073709551615ull);
    for (const char* bad : {"", "5", "5|", "|7|", "5|7", "x|7|", "5|7x|", "4294967296|1|"})
        EXPECT_FALSE(parseNtfsItemKey(bad).has_value()) << bad;
}

// The raw $MFT extracts of the public test data: every record that carries "FILE" parses, every run list of
// a non-resident attribute covers exactly the clusters between its first and last VCN.
TEST(NtfsRecords, PublicMftExtractsParseConsistently) {
    for (const char* name : {"dfir_ntfs/deleted.mft", "dfir_ntfs/mapping_pairs_1.mft"}) {
        SCOPED_TRACE(name);
        auto path = sharedTestdata(name);
        if (!path)
            GTEST_SKIP() << "shared test data absent";
        const std::vector<std::byte> mft = readFile(*path, 0, 1 << 20);
        std::size_t records = 0;
        std::size_t named = 0;
        std::size_t deletedNamed = 0;
        std::size_t runLists = 0;
        for (std::size_t at = 0; at + kMftRecordBytes <= mft.size(); at += kMftRecordBytes) {
            std::vector<std::byte> record(mft.begin() + at, mft.begin() + at + kMftRecordBytes);
            if (!hasFileSignature(record))
                continue;
            ++records;
            ApplyFixups(record, record.size());
            const FileNameHit hit = chooseRecordName(record, static_cast<std::uint32_t>(at / 1024), true, {});
            named += hit.found;
            deletedNamed += hit.found && !parseMftRecordHeader(record).inUse();
            forEachAttribute(record, [&](const AttributeView& a) {
                if (!a.nonResident)
                    return true;
                const RunList list = DecodeRunList(a.runList(), 10000);
                EXPECT_FALSE(list.damaged) << "record " << at / 1024 << " type " << a.type;
                std::uint64_t clusters = 0;
                for (const ClusterRun& run : list.runs)
                    clusters += run.clusterCount;
                const std::uint64_t firstVcn = le64(a.bytes, 0x10);
                const std::uint64_t lastVcn = le64(a.bytes, 0x18);
                if (a.realSize() > 0) {
                    EXPECT_EQ(clusters, lastVcn - firstVcn + 1) << "record " << at / 1024;
                }
                ++runLists;
                return true;
            });
        }
        EXPECT_GT(records, 30u);
        EXPECT_GT(named, 30u);
        EXPECT_GT(runLists, 10u);
        if (std::string(name).find("deleted") != std::string::npos) {
            EXPECT_GT(deletedNamed, 0u);
        }
    }
}

} // namespace
} // namespace salvora::test
