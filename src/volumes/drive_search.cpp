// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/drive_search.h"

#include <charconv>
#include <limits>
#include <vector>

#include "base/size_text.h"
#include "base/text.h"
#include "storage/sector_reader.h"
#include "volumes/boot_sector.h"

namespace salvora {
namespace {

// The drive is read 1024 sectors (512 KiB) at a time.
constexpr std::uint32_t kChunkSectors = 1024;
constexpr std::uint32_t kIndexRecordOf4096Bytes = 0xF4;

std::uint64_t parseUnsigned(std::string_view text) {
    std::string digits = trim(text);
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    return ec == std::errc() ? value : 0;
}

// FAT16 layout sums; a damaged boot sector whose cluster-0 sector would lie before the disk gives 0.
std::uint64_t subtractOrZero(std::uint64_t value, std::uint64_t minus) {
    return value >= minus ? value - minus : 0;
}

// The columns every found volume fills alike: drive key, running name, file system, start, end, size.
FoundFileSystemRow recognisedRow(const std::string& key, int n, const char* fileSystem, std::uint64_t s,
                                 std::uint64_t T) {
    FoundFileSystemRow row;
    row[0] = key;
    row[1] = "Recognised" + std::to_string(n);
    row[2] = fileSystem;
    row[3] = std::to_string(s);
    row[4] = std::to_string(s + T);
    row[5] = FormatSize(T * 512);
    return row;
}

FoundFileSystemRow ntfsRow(ByteSpan sector, std::uint64_t s, std::uint64_t T, const std::string& key, int n) {
    const std::uint32_t spc = le8(sector, 0x0D);
    const std::uint32_t perIndex = le32(sector, 0x44);
    FoundFileSystemRow row = recognisedRow(key, n, "NTFS", s, T);
    row[6] = std::to_string(spc);
    row[7] = std::to_string(perIndex == kIndexRecordOf4096Bytes ? 8u : perIndex * spc);
    row[8] = "2";
    row[9] = std::to_string(T);
    row[10] = std::to_string(le32(sector, 0x30));
    row[11] = std::to_string(le32(sector, 0x38));
    return row;
}

FoundFileSystemRow fat16Row(ByteSpan sector, std::uint64_t s, std::uint64_t T, const std::string& key,
                            int n) {
    const std::uint64_t F = le16(sector, 0x16);
    const std::uint64_t K = le8(sector, 0x0D);
    const std::uint64_t R = le16(sector, 0x0E);
    const std::uint64_t rootSectors = le16(sector, 0x11) / 16u;
    FoundFileSystemRow row = recognisedRow(key, n, "FAT16", s, T);
    row[6] = std::to_string(F);
    row[7] = std::to_string(K);
    row[8] = std::to_string(rootSectors);
    row[9] = std::to_string(s + R + 2 * F);
    row[10] = std::to_string(R);
    row[11] = std::to_string(subtractOrZero(s + R + 2 * F + rootSectors, 2 * K));
    row[12] = std::to_string(s + R);
    row[13] = std::to_string(s + R + F);
    return row;
}

bool alreadyListed(const DriveSearchState& state, const FoundFileSystemRow& row) {
    for (const FoundFileSystemRow& listed : state.foundFileSystems)
        if (listed[0] == row[0] && listed[2] == row[2] && listed[3] == row[3] && listed[4] == row[4])
            return true;
    return false;
}

// NTFS keeps a copy of its boot sector in the sector after the ones it counts: a boot sector right at the
// end of a listed NTFS volume of the drive is that volume's backup, not a volume of its own.
bool isBackupOfListedVolume(const DriveSearchState& state, const FoundFileSystemRow& row) {
    for (const FoundFileSystemRow& listed : state.foundFileSystems)
        if (listed[0] == row[0] && listed[2] == "NTFS" && row[2] == "NTFS" && listed[4] == row[3])
            return true;
    return false;
}

int rowsOfDrive(const DriveSearchState& state, const std::string& key) {
    int rows = 0;
    for (const FoundFileSystemRow& listed : state.foundFileSystems)
        rows += listed[0] == key ? 1 : 0;
    return rows;
}

void addFind(DriveSearchContext& context, FoundFileSystemRow row) {
    const std::string label = row[1] + " - " + row[5] + " - " + row[2];
    context.state.foundFileSystems.push_back(std::move(row));
    ++context.state.found;
    context.state.foundFlag = true;
    context.state.lastNode = context.tree.addNode(label, kImageVolume, context.driveNode);
    context.tree.expand(context.driveNode);
}

// Examines one sector at s; adds its row and node when it is a volume not yet listed for the drive.
void examineSector(DriveSearchContext& context, ByteSpan sector, std::uint64_t s, const std::string& key) {
    if (!hasBootSignature(sector))
        return;
    // The number is only used when the row is new, and the row is only compared on columns 0, 2, 3, 4.
    auto row =
        RecogniseDriveBootSector(sector, s, context.totalSectors, key, rowsOfDrive(context.state, key) + 1);
    if (!row || alreadyListed(context.state, *row) || isBackupOfListedVolume(context.state, *row))
        return;
    addFind(context, std::move(*row));
}

} // namespace

std::string driveKey(const std::string& volumePath) {
    return "Log|" + volumePath + "|";
}

std::optional<FoundFileSystemRow> RecogniseDriveBootSector(ByteSpan sector, std::uint64_t s, std::uint64_t E,
                                                           const std::string& key, int n) {
    if (!hasBootSignature(sector))
        return std::nullopt;
    if (bytesEqual(sector, 3, "NTFS")) {
        std::uint64_t T = le32(sector, 0x28);
        if (E <= std::numeric_limits<std::uint32_t>::max() && T > E)
            T = E;
        if (T == 0)
            return std::nullopt;
        return ntfsRow(sector, s, T, key, n);
    }
    if (bytesEqual(sector, 0x39, "16")) {
        // A FAT volume below 65536 sectors keeps its size in the 16-bit field and 0 in the 32-bit one.
        std::uint64_t T = le32(sector, 0x20);
        if (T == 0)
            T = le16(sector, 0x13);
        return fat16Row(sector, s, T, key, n);
    }
    // FAT32 boot sectors are left to the cylinder search of the disk; nothing is recorded for them here.
    return std::nullopt;
}

void SearchDriveForPartitions(DriveSearchContext& context) {
    DriveSearchState& state = context.state;
    state.inProgress = true;
    state.found = 0;
    state.driveText = context.driveText;
    state.searchKind = 1;
    const std::uint64_t E = context.totalSectors;
    const std::string key = driveKey(context.volumePath);
    context.progress.setStatus(" / " + std::to_string(E) + " reading");
    context.progress.setRange(0, E);
    context.progress.setPosition(0);

    DeviceHandle handle;
    if (!handle.open(context.devices, context.volumePath) || !context.tree.contains(context.driveNode))
        return;
    std::vector<std::byte> chunk(std::size_t{kChunkSectors} * kSectorSize);
    for (std::uint64_t P = 0; P < E; P += kChunkSectors) {
        if (context.stop)
            break;
        context.progress.setPosition(P);
        std::fill(chunk.begin(), chunk.end(), std::byte{0});
        handle.seek(P);
        std::size_t got = 0;
        if (!handle.read(chunk.data(), chunk.size(), got))
            continue;
        // The last chunk is examined whole, also where it reaches past the drive's last sector.
        for (std::uint32_t i = 0; i < kChunkSectors && !context.stop; ++i)
            examineSector(context, ByteSpan(chunk).subspan(std::size_t{i} * kSectorSize, kSectorSize), P + i,
                          key);
    }
    handle.close();
}

std::string driveSearchMessage(int found, const std::string& driveText) {
    if (found != 0)
        return "Found " + std::to_string(found) + " more partitions in selected Drive ( Drive - " +
               driveText + " )";
    return "No more partitions found in selected Drive ( Drive - " + driveText + " )";
}

DriveSearchFinish FinishDriveSearch(DriveSearchContext& context, Prompter& prompter) {
    DriveSearchFinish finish;
    if (context.state.found > 0)
        finish.selectedNode = context.state.lastNode;
    finish.message = driveSearchMessage(context.state.found, context.state.driveText);
    prompter.inform(finish.message);
    context.state.inProgress = false;
    return finish;
}

int recognisedNumber(const std::string& label) {
    std::string head = trim(std::string_view(label).substr(0, label.find('-')));
    constexpr std::size_t kPrefix = 10; // "Recognised"
    return head.size() > kPrefix ? decimalPrefixToInt32(std::string_view(head).substr(kPrefix)) : 0;
}

RecognisedSelection SelectRecognisedNode(const DriveSearchState& state, const DriveTree& tree, NodeId node,
                                         const std::vector<std::string>& attachedVolumeEntries) {
    RecognisedSelection selection;
    if (!tree.contains(node) || !tree.contains(tree.node(node).parent))
        return selection;
    const std::string& label = tree.node(node).label;
    const std::string driveText = trim(tree.node(tree.node(node).parent).label.substr(0, 2));
    const std::string key = "Log|\\\\.\\" + driveText + "|";
    for (const FoundFileSystemRow& row : state.foundFileSystems)
        if (row[0] == key)
            selection.panel.emplace_back(row.begin() + 1, row.end());

    selection.number = recognisedNumber(label);
    const std::size_t lastDash = label.rfind('-');
    selection.fileSystem = trim(lastDash == std::string::npos ? std::string_view(label)
                                                              : std::string_view(label).substr(lastDash + 1));
    const std::size_t index = static_cast<std::size_t>(selection.number) - 1;
    if (selection.number >= 1 && index < selection.panel.size()) {
        selection.startText = selection.panel[index][2];
        selection.endText = selection.panel[index][3];
    }

    const std::uint64_t volumeEnd = parseUnsigned(selection.endText);
    std::uint64_t D = 0;
    for (const std::string& entry : attachedVolumeEntries) {
        if (entry.find(driveText) == std::string::npos)
            continue;
        const std::size_t bar = entry.rfind('|');
        selection.maxText = bar == std::string::npos ? std::string() : entry.substr(bar + 1);
        D = parseUnsigned(selection.maxText);
        break;
    }
    if (D == 0)
        D = volumeEnd;
    if (volumeEnd > D)
        selection.endText = std::to_string(D);
    selection.sliderMaximum = D;
    return selection;
}

} // namespace salvora
