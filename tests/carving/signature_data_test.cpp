// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "carving/carve_modes.h"
#include "carving/data_files.h"
#include "carving/signature_records.h"
#include "carving/type_lists.h"
#include "support/fixtures.h"

namespace salvora {
namespace {

std::string record(const std::string& extension, const std::string& size, const std::string& hex,
                   const std::string& offset, const std::string& description = "Some type") {
    return "Extension:" + extension + "\nMax Size:" + size + "\nSignature:" + hex + "\nOffset:" + offset +
           "\nNotes:\nDescription:" + description + "\n";
}

TEST(ReadRecordValue, TakesTheTextAfterTheLastColonTrimmed) {
    EXPECT_EQ(ReadRecordValue("Extension:.JPG"), ".JPG");
    EXPECT_EQ(ReadRecordValue("a:b: 12 \t"), "12");
    EXPECT_EQ(ReadRecordValue("  no colon here "), "no colon here");
    EXPECT_EQ(ReadRecordValue("ends with colon:"), "");
    EXPECT_EQ(ReadRecordValue(""), "");
}

TEST(ParseSignatureHex, PairsFromTheLeftWithLoneDigitsAndJunkAsZero) {
    struct Case {
        const char* hex;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"FFD8FF", {0xFF, 0xD8, 0xFF}},
        {"ffd8ff", {0xFF, 0xD8, 0xFF}}, // the loaders upper-case first, the parser takes both
        {"FFD", {0xFF, 0x0D}},          // an odd digit is a byte of its own
        {"GZ12", {0x00, 0x12}},         // characters that are no hex digits count 0
        {"", {}},
    };
    for (const Case& c : cases) {
        FileType1 type;
        ParseSignatureHex(c.hex, type);
        ASSERT_EQ(type.signatureLength, static_cast<int>(c.bytes.size())) << c.hex;
        for (std::size_t i = 0; i < c.bytes.size(); ++i)
            EXPECT_EQ(type.signature[i], c.bytes[i]) << c.hex << " byte " << i;
        EXPECT_EQ(type.firstByte, c.bytes.empty() ? 0 : c.bytes[0]) << c.hex;
    }
}

TEST(ParseSignatureHex, CutsSignaturesLongerThanFiftyBytes) {
    FileType1 type;
    ParseSignatureHex(std::string(200, 'A'), type); // 100 pairs
    EXPECT_EQ(type.signatureLength, 50);
    EXPECT_EQ(type.signature[49], 0xAA);
}

TEST(LoadTypeList, ReadsRecordsInOrderWithDistinctOffsetsInFirstAppearance) {
    std::string text = record(".jpg", "1000", "ffd8ffe0", "1") + record(".MP4", "99", "66747970", "5") +
                       record(".PNG", "5", "89504E47", "1");
    TypeList list;
    LoadTypeList(text, list);
    ASSERT_EQ(list.types.size(), 3u);
    EXPECT_EQ(list.types[0].extension, ".jpg"); // case kept for Photo Search
    EXPECT_EQ(list.types[0].signatureHex, "FFD8FFE0");
    EXPECT_EQ(list.types[0].maxSizeText, "1000");
    EXPECT_EQ(list.types[1].offset, 5);
    EXPECT_EQ(list.offsets, (std::vector<std::int32_t>{1, 5}));
}

TEST(LoadTypeList, MalformedContentLoadsWithEmptyOrZeroValues) {
    // CR LF line ends, a line without colon, a non-numeric offset and a file ending inside a record.
    std::string text = "Extension:.JPG\r\nMax Size:12\r\nSignature:FFD8\r\nOffset:x\r\nN\r\nD:desc\r\n"
                       ".BMP\nsize\n424D";
    TypeList list;
    LoadTypeList(text, list);
    ASSERT_EQ(list.types.size(), 2u);
    EXPECT_EQ(list.types[0].extension, ".JPG");
    EXPECT_EQ(list.types[0].offset, 0);
    EXPECT_EQ(list.types[1].extension, ".BMP");
    EXPECT_EQ(list.types[1].maxSizeText, "size");
    EXPECT_EQ(list.types[1].signatureLength, 2);
    EXPECT_EQ(list.types[1].offset, 0); // the line is missing
    EXPECT_EQ(parseMaxSize(list.types[1].maxSizeText), 0u);
}

TEST(FindNextType, WalksElementsEqualToTheKeyInListOrder) {
    TypeList list;
    LoadTypeList(record(".A", "1", "FF01", "1") + record(".B", "1", "FF02", "3") +
                     record(".C", "1", "FF03", "1"),
                 list);
    auto first = findNextType(list.types, 1, 0xFF);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, 0u);
    auto second = findNextType(list.types, 1, 0xFF, first);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, 2u);
    EXPECT_FALSE(findNextType(list.types, 1, 0xFF, second));
    EXPECT_FALSE(findNextType(list.types, 2, 0xFF));
}

TEST(TypeChooser, OneRowPerExtensionIgnoringCaseWithTheFirstDescription) {
    TypeChooser chooser;
    FillTypeChooser(record(".jpg", "1", "FFD8", "1", "JPEG first") + record(".PNG", "1", "8950", "1", "PNG"),
                    chooser);
    FillTypeChooser(record(".JPG", "1", "FFD8FFE1", "1", "JPEG second"), chooser);
    ASSERT_EQ(chooser.rows.size(), 2u);
    EXPECT_EQ(chooser.rows[0].extension, "JPG");
    EXPECT_EQ(chooser.rows[0].description, "JPEG first");
    EXPECT_TRUE(chooser.rows[0].checked);
    EXPECT_EQ(chooser.rows[1].extension, "PNG");
}

TEST(LoadCheckedTypes, TakesOnlyCheckedExtensionsUpperCased) {
    std::string primary = record(".jpg", "1", "FFD8", "1") + record(".png", "1", "8950", "1") +
                          record(".jpg", "1", "FFD8FFE1", "7");
    TypeChooser chooser;
    FillTypeChooser(primary, chooser);
    chooser.find("JPG")->checked = false;
    TypeList active;
    LoadCheckedTypes(primary, chooser, active);
    ASSERT_EQ(active.types.size(), 1u);
    EXPECT_EQ(active.types[0].extension, ".PNG");
    EXPECT_EQ(active.offsets, (std::vector<std::int32_t>{1}));

    chooser.checkAll(true);
    active.clear();
    LoadCheckedTypes(primary, chooser, active);
    EXPECT_EQ(active.types.size(), 3u); // both JPG records of the row come in
    EXPECT_EQ(active.offsets, (std::vector<std::int32_t>{1, 7}));
}

class DataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = test::makeTempDir();
        for (const auto& entry : std::filesystem::directory_iterator(SALVORA_DATA_DIR))
            std::filesystem::copy_file(entry.path(), m_dir + "/" + entry.path().filename().string());
    }
    std::string m_dir;
};

TEST_F(DataFolder, CheckSignatureFilesNamesTheFirstMissingFileWithItsFullPath) {
    EXPECT_EQ(CheckSignatureFiles(m_dir), "");
    std::filesystem::remove(m_dir + "/SLVDATVideo.dll"); // read only when Video Search needs it
    EXPECT_EQ(CheckSignatureFiles(m_dir), "");
    std::filesystem::remove(m_dir + "/SLVDATSigAdv.dll");
    EXPECT_EQ(CheckSignatureFiles(m_dir),
              "Couldn't open source file: " + m_dir + "/SLVDATSigAdv.dll was not found.");
    CarvingState state;
    auto chooser = fillModeTypeChooser(state, m_dir, CarveMode::Video);
    ASSERT_FALSE(chooser);
    EXPECT_EQ(chooser.error().message,
              "Couldn't open source file: " + m_dir + "/SLVDATVideo.dll was not found.");
}

// The files we ship: every record must be usable by all three readers alike.
TEST(ShippedDataFiles, EveryRecordIsWellFormedAndTheReadersAgree) {
    for (std::string_view name : {kPhotoDataFile, kPhotoThoroughDataFile, kSignatureDataFile,
                                  kSignatureThoroughDataFile, kVideoDataFile, kVideoThoroughDataFile}) {
        auto text = readSignatureDataFile(SALVORA_DATA_DIR, name);
        ASSERT_TRUE(text) << text.error().message;
        ASSERT_EQ(std::count(text->begin(), text->end(), '\n') % 6, 0) << name;
        DataFileLines lines(*text);
        int records = 0;
        while (auto raw = readRawRecord(lines)) {
            ++records;
            FileType1 type = makeFileType(*raw);
            std::string where = std::string(name) + " record " + std::to_string(records);
            EXPECT_EQ(type.extension.front(), '.') << where;
            EXPECT_EQ(chooserExtension(raw->lines[0]), type.extension.substr(1)) << where;
            EXPECT_GE(type.signatureLength, 2) << where;
            EXPECT_EQ(type.signatureHex.size(), static_cast<std::size_t>(type.signatureLength) * 2) << where;
            EXPECT_GE(type.offset, 1) << where;
            EXPECT_GT(parseMaxSize(type.maxSizeText), 262144u) << where;
            EXPECT_FALSE(ReadRecordValue(raw->lines[5]).empty()) << where;
        }
        EXPECT_GT(records, 10) << name;
    }
}

// A type whose records share their search key with a shorter, more general one must come first, or the
// general one takes its files (CR2 is TIFF, WebM is Matroska, RAR 5 starts like RAR 4).
TEST(ShippedDataFiles, SpecificSignaturesStandBeforeTheGeneralOnesTheyExtend) {
    for (std::string_view name : {kPhotoDataFile, kSignatureDataFile, kVideoDataFile, kVideoThoroughDataFile,
                                  kSignatureThoroughDataFile, kPhotoThoroughDataFile}) {
        TypeList list;
        ASSERT_TRUE(LoadTypeListFile(SALVORA_DATA_DIR, name, list));
        for (std::size_t i = 0; i < list.types.size(); ++i)
            for (std::size_t j = i + 1; j < list.types.size(); ++j) {
                const FileType1& earlier = list.types[i];
                const FileType1& later = list.types[j];
                if (earlier.offset == later.offset &&
                    later.signatureHex.size() > earlier.signatureHex.size()) {
                    EXPECT_FALSE(later.signatureHex.starts_with(earlier.signatureHex))
                        << name << ": " << later.extension << " " << later.signatureHex << " is hidden by "
                        << earlier.extension << " " << earlier.signatureHex;
                }
            }
    }
}

} // namespace
} // namespace salvora
