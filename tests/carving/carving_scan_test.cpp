// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "carving/carving_scan.h"
#include "carving/type_lists.h"
#include "storage/device_namespace.h"
#include "support/fixtures.h"
#include "support/test_media.h"

namespace salvora {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kChunk = kCarveChunkBytes;

std::string record(const std::string& extension, const std::string& size, const std::string& hex,
                   int offset) {
    return "Extension:" + extension + "\nMax Size:" + size + "\nSignature:" + hex +
           "\nOffset:" + std::to_string(offset) + "\nNotes:\nDescription:test type\n";
}

std::vector<std::byte> hexBytes(const std::string& hex) {
    std::vector<std::byte> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::byte>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// An image of some chunks whose bytes all differ from their neighbours' (so extents are visible), with
// signatures planted at byte positions.
class Image {
public:
    explicit Image(std::size_t bytes) : m_bytes(bytes) {
        for (std::size_t i = 0; i < bytes; ++i)
            m_bytes[i] = static_cast<std::byte>((i * 7 + i / 4099) & 0x7F); // never 0x80 and above
    }
    void plant(std::size_t at, const std::string& hex) {
        auto bytes = hexBytes(hex);
        std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    std::vector<std::byte> slice(std::size_t from, std::size_t to) const {
        return {m_bytes.begin() + static_cast<std::ptrdiff_t>(from),
                m_bytes.begin() + static_cast<std::ptrdiff_t>(to)};
    }
    const std::vector<std::byte>& bytes() const { return m_bytes; }

private:
    std::vector<std::byte> m_bytes;
};

std::vector<std::byte> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    return bytes;
}

struct Finished {
    std::string extension; // bare, Signature/Video only
    std::string name;
    std::string path;
    std::size_t size = 0;
};

class RecordingView : public CarveView {
public:
    void setBasisText(const std::string& text) override { basis.push_back(text); }
    void setTotalText(const std::string& text) override { total = text; }
    void AddThumbnail(std::span<const std::byte> bytes, const std::string& name,
                      const std::string& path) override {
        files.push_back({"", name, path, bytes.size()});
    }
    void AppendRecoveredFile(const std::string& extension, const std::string& name,
                             const std::string& path) override {
        files.push_back({extension, name, path, 0});
        if (onAppend)
            onAppend();
    }
    std::vector<Finished> files;
    std::vector<std::string> basis;
    std::string total;
    std::function<void()> onAppend;
};

// Answers the medium-removed question from a script and counts the questions.
class ScriptedPrompter : public Prompter {
public:
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    MediumRemovedAnswer askMediumRemoved() override {
        ++questions;
        if (beforeAnswer)
            beforeAnswer();
        return answer;
    }
    MediumRemovedAnswer answer{true, 0};
    std::function<void()> beforeAnswer;
    int questions = 0;
    std::vector<std::string> messages;
};

class CarvingScanTest : public ::testing::Test {
protected:
    void SetUp() override { m_destination = test::makeTempDir(); }

    void attach(std::shared_ptr<const Medium> medium) { m_devices.setPhysicalDisk(0, std::move(medium)); }
    void attach(const Image& image) { attach(std::make_shared<MemoryMedium>(image.bytes())); }

    CarveScanOutcome carve(CarveMode mode, std::uint64_t start, std::uint64_t end, bool thorough = false) {
        CarveScanRequest request;
        request.mode = mode;
        request.devicePath = physicalDrivePath(0);
        request.startSector = start;
        request.endSector = end;
        request.destination = m_destination;
        request.thorough = thorough;
        request.dataDirectory = m_dataDirectory;
        if (mode != CarveMode::Photo)
            m_state.SignatureRunning = true;
        return RunCarvingScan(m_state, m_devices, request, m_view, m_prompter);
    }

    void photoTypes(const std::string& general, const std::string& advance = "") {
        LoadTypeList(general, m_state.GeneralTypeList);
        LoadTypeList(advance, m_state.AdvanceTypeList);
        fillPhotoTypeTable(m_state);
    }

    // Signature Search over the given primary records, with a thorough file written for the scan to read.
    void signatureTypes(const std::string& primary, const std::string& thorough) {
        m_dataDirectory = test::makeTempDir();
        std::ofstream(m_dataDirectory + "/SLVDATSigAdv.dll") << thorough;
        m_state.typeChooser.rows.clear();
        FillTypeChooser(primary, m_state.typeChooser);
        FillTypeChooser(thorough, m_state.typeChooser);
    }
    void startSignatureScan(const std::string& primary) {
        fillTypeResultsTable(m_state);
        m_state.ActiveTypeList.clear();
        LoadCheckedTypes(primary, m_state.typeChooser, m_state.ActiveTypeList);
    }

    std::string photoPath(bool thorough, const std::string& folder, const std::string& name) const {
        return m_destination + "/Quillwort Salvora/Photo Search/" + (thorough ? "Omitted/" : "General/") +
               folder + "/" + name;
    }

    CarvingState m_state;
    DeviceNamespace m_devices;
    RecordingView m_view;
    ScriptedPrompter m_prompter;
    std::string m_destination;
    std::string m_dataDirectory;
};

constexpr const char* kA = "A1A2A3A4"; // bytes of the image never reach 0x80, so planted ones stand out
constexpr const char* kB = "B1B2B3B4";

TEST_F(CarvingScanTest, TwoHitsInOneChunkSplitAtTheSecondEvenBeyondTheSizeLimit) {
    Image image(2 * kChunk);
    image.plant(2 * 512, kA);
    image.plant(10 * 512, kA);
    attach(image);
    photoTypes(record(".aaa", "1000", kA, 1));
    auto outcome = carve(CarveMode::Photo, 0, 1023);
    ASSERT_TRUE(outcome.ran);
    ASSERT_EQ(m_view.files.size(), 2u);
    EXPECT_EQ(m_view.files[0].name, "GNDR00001.aaa");
    EXPECT_EQ(m_view.files[0].path, photoPath(false, "aaa", "GNDR00001.aaa"));
    EXPECT_EQ(readFile(m_view.files[0].path), image.slice(2 * 512, 10 * 512)); // 4096 bytes, limit 1000
    // A file that meets no other hit gets min(262144 - S, N) bytes.
    EXPECT_EQ(readFile(m_view.files[1].path), image.slice(10 * 512, 10 * 512 + 1000));
    EXPECT_EQ(m_view.basis.front(), "(Currently performing Search based on:  General Recovery Procedure)");
    EXPECT_EQ(m_view.total, "sectors scanned of total 1023");
}

TEST_F(CarvingScanTest, AHitAtChunkOffsetZeroEndsThePendingFileWithNothingFromTheNewChunk) {
    Image image(3 * kChunk);
    image.plant(100 * 512, kA);
    image.plant(kChunk, kB);
    attach(image);
    photoTypes(record(".aaa", "1000000000", kA, 1) + record(".bbb", "5", kB, 1));
    carve(CarveMode::Photo, 0, 1535);
    ASSERT_EQ(m_view.files.size(), 2u);
    EXPECT_EQ(readFile(m_view.files[0].path), image.slice(100 * 512, kChunk));
    EXPECT_EQ(m_view.files[1].name, "GNDR00002.bbb");
    EXPECT_EQ(readFile(m_view.files[1].path), image.slice(kChunk, kChunk + 5));
}

TEST_F(CarvingScanTest, MaximumSizeZeroTakesNothingAtChunkEndsAndOnlyTheHitsChunkPart) {
    Image image(4 * kChunk);
    image.plant(4 * 512, kA);
    image.plant(2 * kChunk + 8 * 512, kB);
    image.plant(3 * kChunk + 4 * 512, kA);
    attach(image);
    photoTypes(record(".aaa", "0", kA, 1) + record(".bbb", "512", kB, 1));
    carve(CarveMode::Photo, 0, 2047);
    ASSERT_EQ(m_view.files.size(), 3u);
    // Still pending when B comes two chunks later; it gets B's chunk from its start up to B, nothing else.
    EXPECT_EQ(readFile(m_view.files[0].path), image.slice(2 * kChunk, 2 * kChunk + 8 * 512));
    // The last one is finished by the end of the pass with what it has: nothing.
    EXPECT_EQ(m_view.files[2].size, 0u);
    EXPECT_TRUE(fs::exists(m_view.files[2].path));
}

TEST_F(CarvingScanTest, TheSizeLimitCountsWholeChunkTails) {
    constexpr std::size_t chunks = 40;
    Image image(chunks * kChunk);
    image.plant(0, kA);
    attach(image);
    photoTypes(record(".aaa", "10000000", kA, 1));
    carve(CarveMode::Photo, 0, chunks * 512 - 1);
    ASSERT_EQ(m_view.files.size(), 1u);
    EXPECT_EQ(m_view.files[0].size, 9961472u); // 38 chunks; the 39th would pass 10,000,000
}

TEST_F(CarvingScanTest, ASignatureAtOffsetNineIsFoundOnlyEightBytesAfterASectorStart) {
    Image image(kChunk);
    image.plant(3 * 512 + 8, kA); // found: the file starts at sector 3
    image.plant(6 * 512 + 9, kA); // one byte off
    image.plant(9 * 512 + 0, kA); // at the sector start itself
    attach(image);
    photoTypes(record(".aaa", "100", kA, 9));
    carve(CarveMode::Photo, 0, 511);
    ASSERT_EQ(m_view.files.size(), 1u);
    EXPECT_EQ(readFile(m_view.files[0].path), image.slice(3 * 512, 3 * 512 + 100));
}

TEST_F(CarvingScanTest, ASignatureCrossingTheChunkEndIsComparedWithTheNextChunk) {
    Image image(2 * kChunk);
    const std::size_t lastSector = kChunk - 512;
    image.plant(lastSector + 509, "C1C2C3C4C5C6C7C8"); // bytes 262141..262148
    attach(image);
    photoTypes(record(".ccc", "300", "C1C2C3C4C5C6C7C8", 510));
    carve(CarveMode::Photo, 0, 1023);
    ASSERT_EQ(m_view.files.size(), 1u);
    EXPECT_EQ(readFile(m_view.files[0].path), image.slice(lastSector, lastSector + 300));
}

TEST_F(CarvingScanTest, ARangeShorterThanAChunkIsReadAsOneWholeChunk) {
    auto recording = std::make_shared<test::RecordingMedium>(4 * kChunk);
    attach(recording);
    photoTypes(record(".aaa", "100", kA, 1));
    carve(CarveMode::Photo, 0, 10);
    ASSERT_EQ(recording->offsets(), (std::vector<std::uint64_t>{0}));

    Image image(kChunk);
    image.plant(300 * 512, kA); // past the end sector, inside the chunk
    attach(image);
    carve(CarveMode::Photo, 0, 10);
    EXPECT_EQ(m_view.files.size(), 1u);
}

TEST_F(CarvingScanTest, PhotoThoroughPassNumbersItsOwnFilesFromOne) {
    Image image(kChunk);
    image.plant(1 * 512, kB);
    image.plant(3 * 512, kA);
    image.plant(5 * 512, kB);
    attach(image);
    photoTypes(record(".jpg", "100", kA, 1), record(".Png", "100", kB, 1));
    carve(CarveMode::Photo, 0, 511, /*thorough=*/true);
    ASSERT_EQ(m_view.files.size(), 3u);
    EXPECT_EQ(m_view.files[0].path, photoPath(false, "jpg", "GNDR00001.jpg"));
    EXPECT_EQ(m_view.files[1].path, photoPath(true, "Png", "THDR00001.Png"));
    EXPECT_EQ(m_view.files[2].path, photoPath(true, "Png", "THDR00002.Png"));
    EXPECT_EQ(m_view.basis.back(), "(Currently performing Search based on:  Thorough Scanning Algorithm)");
    // The thorough pass file that runs into the A file's sectors ends at the next thorough hit only.
    EXPECT_EQ(readFile(m_view.files[1].path), image.slice(512, 5 * 512));
}

TEST_F(CarvingScanTest, AFileThatExistsAlreadyIsKeptAndTheNewOneGetsADuplicateName) {
    Image image(kChunk);
    image.plant(0, kA);
    attach(image);
    photoTypes(record(".jpg", "10", kA, 1));
    fs::create_directories(photoPath(false, "jpg", ""));
    std::ofstream(photoPath(false, "jpg", "GNDR00001.jpg")) << "keep me";
    carve(CarveMode::Photo, 0, 511);
    ASSERT_EQ(m_view.files.size(), 1u);
    EXPECT_EQ(m_view.files[0].path, photoPath(false, "jpg", "GNDR00001_dd_0.jpg"));
    EXPECT_EQ(readFile(photoPath(false, "jpg", "GNDR00001.jpg")).size(), 7u);
}

TEST_F(CarvingScanTest, AHostileExtensionCannotLeaveTheDestination) {
    Image image(kChunk);
    image.plant(0, kA);
    attach(image);
    photoTypes(record("./../../../x", "10", kA, 1));
    carve(CarveMode::Photo, 0, 511);
    ASSERT_EQ(m_view.files.size(), 1u);
    std::string canonical = fs::weakly_canonical(m_view.files[0].path).string();
    EXPECT_TRUE(canonical.starts_with(fs::weakly_canonical(photoPath(false, "", "")).string())) << canonical;
}

TEST_F(CarvingScanTest, ABackwardsRangeIsRefusedWithTheEndSectorMessage) {
    attach(Image(kChunk));
    photoTypes(record(".aaa", "10", kA, 1));
    auto outcome = carve(CarveMode::Photo, 5, 5);
    EXPECT_FALSE(outcome.ran);
    ASSERT_EQ(m_prompter.messages.size(), 1u);
    EXPECT_EQ(m_prompter.messages[0], kEndSectorMessage);
}

const std::string kJpgRecord = record(".jpg", "1000", "FFD8FFE0", 1);
const std::string kPngRecord = record(".png", "1000", "89504E47", 1);
const std::string kJpgThoroughRecord = record(".JPG", "1000", "FFD8FFE1", 1);

TEST_F(CarvingScanTest, SignatureNumbersRunPerTypeAndOnIntoTheThoroughPass) {
    Image image(kChunk);
    image.plant(2 * 512, "FFD8FFE0");
    image.plant(4 * 512, "89504E47");
    image.plant(6 * 512, "FFD8FFE0");
    image.plant(9 * 512, "FFD8FFE1");
    attach(image);
    signatureTypes(kJpgRecord + kPngRecord, kJpgThoroughRecord);
    startSignatureScan(kJpgRecord + kPngRecord);
    auto outcome = carve(CarveMode::Signature, 0, 511, /*thorough=*/true);
    ASSERT_EQ(m_view.files.size(), 4u);
    std::string base = m_destination + "/Quillwort Salvora/Signature Search/";
    EXPECT_EQ(m_view.files[0].path, base + "General/JPG/JPG00001.JPG");
    EXPECT_EQ(m_view.files[1].path, base + "General/PNG/PNG00001.PNG");
    EXPECT_EQ(m_view.files[2].path, base + "General/JPG/JPG00002.JPG");
    EXPECT_EQ(m_view.files[3].path, base + "Omitted/JPG/JPG00003.JPG");
    EXPECT_EQ(m_view.files[0].extension, "JPG");
    EXPECT_EQ(readFile(m_view.files[1].path), image.slice(4 * 512, 6 * 512));
    EXPECT_EQ(m_state.GeneralFoundCount.load(), 3u);
    const TypeResultRow* jpg = findTypeResult(m_state, "JPG");
    ASSERT_NE(jpg, nullptr);
    EXPECT_EQ(jpg->filesFound, 3u);
    EXPECT_EQ(jpg->lastfileNo, 3u);
    EXPECT_EQ(jpg->nameOfFile, "JPG00003.JPG");
    EXPECT_EQ(m_state.recoveredFiles.items().size(), 4u);
    EXPECT_EQ(m_view.basis.front(), "(Searching files based on:  General Signature Recovery Procedure)");
    EXPECT_EQ(m_view.basis.back(), "(Searching files based on:  Thorough Signature Scanning Algorithm)");
    EXPECT_FALSE(m_state.SignatureStop.load());
    EXPECT_EQ(outcome.filesStored, 4u);
}

TEST_F(CarvingScanTest, OnlyPngCheckedLeavesJpegDataUnfoundInBothPasses) {
    Image image(kChunk);
    image.plant(2 * 512, "FFD8FFE0");
    image.plant(4 * 512, "89504E47");
    image.plant(9 * 512, "FFD8FFE1");
    attach(image);
    signatureTypes(kJpgRecord + kPngRecord, kJpgThoroughRecord);
    m_state.typeChooser.find("JPG")->checked = false;
    startSignatureScan(kJpgRecord + kPngRecord);
    carve(CarveMode::Signature, 0, 511, /*thorough=*/true);
    ASSERT_EQ(m_view.files.size(), 1u);
    EXPECT_EQ(m_view.files[0].name, "PNG00001.PNG");
    // Nothing else is a hit, so the PNG runs to its limit right over the JPEG data.
    EXPECT_EQ(readFile(m_view.files[0].path), image.slice(4 * 512, 4 * 512 + 1000));
}

TEST_F(CarvingScanTest, StoppingThePrimaryPassRunsNoThoroughPass) {
    Image image(kChunk);
    image.plant(2 * 512, "FFD8FFE0");
    image.plant(4 * 512, "FFD8FFE0");
    image.plant(9 * 512, "FFD8FFE1");
    attach(image);
    signatureTypes(kJpgRecord, kJpgThoroughRecord);
    startSignatureScan(kJpgRecord);
    m_view.onAppend = [this] { m_state.SignatureStop = true; }; // Stop while the first file is listed
    auto outcome = carve(CarveMode::Signature, 0, 511, /*thorough=*/true);
    EXPECT_TRUE(outcome.stopped);
    ASSERT_EQ(m_view.files.size(), 2u); // the first, and the pending one finished with what it had
    EXPECT_TRUE(m_state.ActiveTypeList.empty());
    EXPECT_EQ(m_view.basis.size(), 1u);
    EXPECT_FALSE(m_state.SignatureStop.load()); // cleared when the scan ends
}

TEST_F(CarvingScanTest, AMissingThoroughFileIsFatal) {
    Image image(kChunk);
    attach(image);
    signatureTypes(kJpgRecord, kJpgThoroughRecord);
    fs::remove(m_dataDirectory + "/SLVDATSigAdv.dll");
    startSignatureScan(kJpgRecord);
    auto outcome = carve(CarveMode::Signature, 0, 511, /*thorough=*/true);
    EXPECT_EQ(outcome.fatalMessage,
              "Couldn't open source file: " + m_dataDirectory + "/SLVDATSigAdv.dll was not found.");
}

// The medium-removed question, on a sparse image larger than the 262,144-sector tail in which failed reads
// pass without asking.
class MediumLossTest : public CarvingScanTest {
protected:
    static constexpr std::uint64_t kSectors = 327680; // 160 MiB
    void SetUp() override {
        CarvingScanTest::SetUp();
        m_imagePath = test::makeTempDir() + "/card.img";
        {
            std::ofstream out(m_imagePath, std::ios::binary);
            auto plant = [&](std::uint64_t sector, const std::string& hex) {
                auto bytes = hexBytes(hex);
                out.seekp(static_cast<std::streamoff>(sector * 512));
                out.write(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<std::streamsize>(bytes.size()));
            };
            plant(8, kA);           // chunk 0
            plant(2 * 512 + 4, kA); // chunk 2, the one that fails
            plant(6 * 512, kA);     // chunk 6
        }
        fs::resize_file(m_imagePath, kSectors * 512);
        m_faulty = std::make_shared<test::FaultyMedium>(std::make_shared<FileMedium>(m_imagePath));
        attach(m_faulty);
        photoTypes(record(".aaa", "4096", kA, 1));
    }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const Finished& file : m_view.files)
            result.push_back(file.name + ":" + std::to_string(file.size));
        return result;
    }

    std::string m_imagePath;
    std::shared_ptr<test::FaultyMedium> m_faulty;
};

TEST_F(MediumLossTest, RetryAfterReinsertingContinuesAtTheChunkThatFailed) {
    m_faulty->failBytes(2 * kChunk, 3 * kChunk);
    m_prompter.answer = {false, 1};
    m_prompter.beforeAnswer = [this] { m_faulty->clearFailures(); };
    carve(CarveMode::Photo, 0, kSectors - 1);
    EXPECT_EQ(m_prompter.questions, 1);
    EXPECT_EQ(names(),
              (std::vector<std::string>{"GNDR00001.aaa:4096", "GNDR00002.aaa:4096", "GNDR00003.aaa:4096"}));
}

TEST_F(MediumLossTest, RetryForTheRestOfTheScanAsksOnceAndRunsToTheEnd) {
    m_faulty->failBytes(2 * kChunk, std::uint64_t{kSectors} * 512);
    m_prompter.answer = {false, 5};
    auto outcome = carve(CarveMode::Photo, 0, kSectors - 1, /*thorough=*/true);
    EXPECT_EQ(m_prompter.questions, 1);
    EXPECT_FALSE(outcome.stopped);
    // Chunk 2 and later read as zeros: only the first file is found.
    EXPECT_EQ(names(), (std::vector<std::string>{"GNDR00001.aaa:4096"}));
}

TEST_F(MediumLossTest, RetryWithoutApplyingAlwaysAsksAgainAtTheNextFailure) {
    m_faulty->failBytes(2 * kChunk, 4 * kChunk);
    m_prompter.answer = {false, 1};
    carve(CarveMode::Photo, 0, kSectors - 1);
    EXPECT_EQ(m_prompter.questions, 2); // chunk 2 and chunk 3
    EXPECT_EQ(names(), (std::vector<std::string>{"GNDR00001.aaa:4096", "GNDR00002.aaa:4096"}));
}

TEST_F(MediumLossTest, CancelSearchingStopsTheScanAndKeepsWhatWasFound) {
    m_faulty->failBytes(2 * kChunk, 3 * kChunk);
    m_prompter.answer = {true, 0};
    auto outcome = carve(CarveMode::Photo, 0, kSectors - 1, /*thorough=*/true);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(m_prompter.questions, 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"GNDR00001.aaa:4096"}));
    EXPECT_EQ(m_view.basis.size(), 1u); // no thorough pass
}

TEST_F(MediumLossTest, FailuresInTheLastStretchOfTheRangePassSilently) {
    m_faulty->failBytes(100000ull * 512, 100512ull * 512);
    carve(CarveMode::Photo, 0, kSectors - 1);
    EXPECT_EQ(m_prompter.questions, 0);
    EXPECT_EQ(m_view.files.size(), 3u);
}

TEST_F(MediumLossTest, AMediumGoneAtTheStartIsAskedForAndFoundAgain) {
    m_faulty->remove();
    m_prompter.answer = {false, 1};
    m_prompter.beforeAnswer = [this] { m_faulty->reinsert(); };
    carve(CarveMode::Photo, 0, kSectors - 1);
    // Asked when the device does not open, and once more for the first chunk, which it then reads.
    EXPECT_EQ(m_prompter.questions, 2);
    EXPECT_EQ(m_view.files.size(), 3u);
}

} // namespace
} // namespace salvora
