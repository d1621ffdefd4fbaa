// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/carving_scan.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "base/text.h"
#include "carving/data_files.h"
#include "carving/pending_file.h"
#include "storage/sector_reader.h"

namespace salvora {
namespace {

// A signature may stand this far into a file's first bytes at most; records placing it further never match.
constexpr std::int32_t kMaxSignatureOffset = static_cast<std::int32_t>(kCarveChunkBytes);

// The types of a pass grouped for the sector scan: per signature offset, the positions of its types in list
// order, by first signature byte. A hit needs only the byte at the offset to pick the few types to compare.
struct OffsetIndex {
    std::int32_t offset = 1;
    std::array<std::vector<std::uint32_t>, 256> byFirstByte;
};

struct PassIndex {
    std::vector<OffsetIndex> offsets;
    std::size_t reach = 0; // the furthest byte after a sector start that a comparison needs
};

PassIndex buildPassIndex(const TypeList& list) {
    PassIndex index;
    for (std::int32_t offset : list.offsets) {
        // An offset below 1 would put the signature before the sector; such records never match.
        if (offset < 1 || offset > kMaxSignatureOffset)
            continue;
        OffsetIndex entry;
        entry.offset = offset;
        for (std::size_t i = 0; i < list.types.size(); ++i) {
            const FileType1& type = list.types[i];
            if (type.offset != offset || type.signatureLength <= 0)
                continue;
            entry.byFirstByte[static_cast<std::uint8_t>(type.firstByte)].push_back(
                static_cast<std::uint32_t>(i));
            index.reach = std::max(index.reach, static_cast<std::size_t>(offset - 1) +
                                                    static_cast<std::size_t>(type.signatureLength));
        }
        index.offsets.push_back(std::move(entry));
    }
    return index;
}

// Photo files are kept in memory; a limit above this one grows the buffer as it fills instead.
constexpr std::uint64_t kMaxPhotoReservation = std::uint64_t{1} << 30;

enum class ChunkRead { Scan, Skip, EndPass };

class CarvingScan {
public:
    CarvingScan(CarvingState& state, const DeviceNamespace& devices, const CarveScanRequest& request,
                CarveView& view, Prompter& prompter)
        : m_state(state), m_devices(devices), m_request(request), m_view(view), m_prompter(prompter),
          m_photo(request.mode == CarveMode::Photo), m_chunk(kCarveChunkBytes) {}

    CarveScanOutcome run();
    void CarvePass(std::uint64_t startSector, std::uint64_t endSector, std::string_view passFolder,
                   std::string_view kind);

private:
    std::atomic<bool>& stopFlag() { return m_photo ? m_state.PhotoStop : m_state.SignatureStop; }
    bool stopRequested() {
        if (stopFlag().load(std::memory_order_relaxed))
            return true;
        return !m_photo && !m_state.SignatureRunning.load(std::memory_order_relaxed);
    }
    void setUpPass(std::uint64_t startSector, std::uint64_t endSector, std::string_view kind);
    bool openDevice();
    ChunkRead readChunk(std::uint64_t sector, std::uint64_t endSector);
    bool readInto(std::uint64_t sector);
    void scanPositions(std::uint64_t sector);
    const FileType1* matchAt(std::size_t position, std::uint64_t sector);
    bool signatureMatches(const FileType1& type, std::size_t index, std::uint64_t sector);
    std::optional<std::uint8_t> byteAt(std::size_t index, std::uint64_t sector);
    void handleHit(const FileType1& type, std::size_t position);
    void accountChunkEnd();
    void appendChunkBytes(std::size_t from, std::size_t to);
    void finishPendingFile();
    void finishStored(PendingFile& file);
    std::string typeFolderFor(const std::string& bareExtension) const;
    void noteFailure(const PendingFile& file);

    CarvingState& m_state;
    const DeviceNamespace& m_devices;
    const CarveScanRequest& m_request;
    CarveView& m_view;
    Prompter& m_prompter;
    const bool m_photo;

    DeviceHandle m_handle;
    int m_retryMode = 0; // the medium-removed answer of this scan; 5 retries silently from then on
    std::vector<std::byte> m_chunk;
    std::size_t m_chunkValid = 0;  // bytes of the chunk that came from the medium (or stand for it)
    std::vector<std::byte> m_tail; // the first bytes of the next chunk, read when a signature crosses
    bool m_tailRead = false;

    bool m_thoroughPass = false;
    const TypeList* m_list = nullptr;
    PassIndex m_index;
    std::optional<PendingFile> m_pending;
    std::vector<std::byte> m_spareBuffer; // Photo: the finished file's memory, for the next one
    std::uint64_t m_photoFileNumber = 0;
    CarveScanOutcome m_outcome;
};

void CarvingScan::setUpPass(std::uint64_t startSector, std::uint64_t endSector, std::string_view kind) {
    if (m_photo) {
        m_pending.reset();
        for (PhotoTypeRow& row : m_state.PhotoTypeTable) {
            row.count = 0;
            row.folderName = row.extension;
        }
    }
    m_view.setCurrentSectorText(std::to_string(startSector));
    m_view.setTotalText("sectors scanned of total " + std::to_string(endSector));
    if (m_photo)
        m_view.setBasisText(m_thoroughPass
                                ? "(Currently performing Search based on:  Thorough Scanning Algorithm)"
                                : "(Currently performing Search based on:  General Recovery Procedure)");
    else
        m_view.setBasisText(
            m_thoroughPass
                ? "(Searching files based on:  Thorough " + std::string(kind) + " Scanning Algorithm)"
                : "(Searching files based on:  General " + std::string(kind) + " Recovery Procedure)");
}

bool CarvingScan::openDevice() {
    if (m_handle.open(m_devices, m_request.devicePath))
        return true;
    if (m_retryMode == 5)
        return true;
    MediumRemovedAnswer answer = m_prompter.askMediumRemoved();
    m_retryMode = answer.retryMode;
    if (answer.cancel) {
        stopFlag() = true;
        m_outcome.stopped = true;
        return false;
    }
    return true;
}

bool CarvingScan::readInto(std::uint64_t sector) {
    std::size_t got = 0;
    m_handle.seek(sector);
    if (!m_handle.isOpen() || !m_handle.read(m_chunk.data(), m_chunk.size(), got))
        return false;
    got = std::min(got, m_chunk.size());
    // A read that ends at the end of the medium leaves the rest as zeros; those bytes are scanned but
    // never added to a file, since the medium has none there.
    std::fill(m_chunk.begin() + static_cast<std::ptrdiff_t>(got), m_chunk.end(), std::byte{0});
    m_chunkValid = got;
    m_outcome.bytesRead += got;
    return true;
}

ChunkRead CarvingScan::readChunk(std::uint64_t sector, std::uint64_t endSector) {
    m_tailRead = false;
    m_tail.clear();
    if (readInto(sector))
        return ChunkRead::Scan;
    // Failures near the end of the range pass silently.
    if (endSector - sector < kCarveChunkBytes)
        return ChunkRead::Skip;
    std::fill(m_chunk.begin(), m_chunk.end(), std::byte{0});
    m_chunkValid = m_chunk.size();
    m_view.restoreWindow();
    if (m_retryMode != 5) {
        MediumRemovedAnswer answer = m_prompter.askMediumRemoved();
        m_retryMode = answer.retryMode;
        if (answer.cancel) {
            stopFlag() = true;
            m_outcome.stopped = true;
            m_handle.close();
            return ChunkRead::EndPass;
        }
    }
    if (m_retryMode == 1 || m_retryMode == 5) {
        m_handle.open(m_devices, m_request.devicePath);
        if (!readInto(sector)) {
            std::fill(m_chunk.begin(), m_chunk.end(), std::byte{0});
            m_chunkValid = m_chunk.size();
        }
    }
    return ChunkRead::Scan;
}

std::optional<std::uint8_t> CarvingScan::byteAt(std::size_t index, std::uint64_t sector) {
    if (index < m_chunk.size())
        return std::to_integer<std::uint8_t>(m_chunk[index]);
    // A signature that runs past the chunk end is compared with the start of the next chunk, read once.
    if (!m_tailRead) {
        m_tailRead = true;
        std::size_t wanted = m_index.reach;
        m_tail.assign(wanted, std::byte{0});
        std::size_t got = 0;
        m_handle.seek(sector + kCarveChunkSectors);
        if (!m_handle.isOpen() || !m_handle.read(m_tail.data(), wanted, got))
            got = 0;
        m_tail.resize(std::min(got, wanted));
    }
    std::size_t tailIndex = index - m_chunk.size();
    if (tailIndex >= m_tail.size())
        return std::nullopt;
    return std::to_integer<std::uint8_t>(m_tail[tailIndex]);
}

bool CarvingScan::signatureMatches(const FileType1& type, std::size_t index, std::uint64_t sector) {
    auto length = static_cast<std::size_t>(type.signatureLength);
    if (index + length <= m_chunk.size())
        return std::memcmp(m_chunk.data() + index, type.signature.data(), length) == 0;
    for (std::size_t i = 0; i < length; ++i) {
        auto value = byteAt(index + i, sector);
        if (!value || *value != type.signature[i])
            return false;
    }
    return true;
}

const FileType1* CarvingScan::matchAt(std::size_t position, std::uint64_t sector) {
    for (const OffsetIndex& entry : m_index.offsets) {
        std::size_t index = position + static_cast<std::size_t>(entry.offset - 1);
        auto key = byteAt(index, sector);
        if (!key)
            continue;
        for (std::uint32_t typeIndex : entry.byFirstByte[*key]) {
            const FileType1& type = m_list->types[typeIndex];
            if (signatureMatches(type, index, sector))
                return &type;
        }
    }
    return nullptr;
}

void CarvingScan::scanPositions(std::uint64_t sector) {
    for (std::size_t position = 0; position < kCarveChunkBytes; position += kSectorSize) {
        if (stopRequested())
            return;
        if (position >= m_chunkValid)
            return; // past the end of the medium: nothing there to carve
        if (const FileType1* hit = matchAt(position, sector))
            handleHit(*hit, position);
    }
}

std::string CarvingScan::typeFolderFor(const std::string& bareExtension) const {
    if (m_photo) {
        for (const PhotoTypeRow& row : m_state.PhotoTypeTable)
            if (toUpperAscii(row.extension) == toUpperAscii(bareExtension))
                return row.folderName;
        return bareExtension;
    }
    for (const TypeResultRow& row : m_state.TypeResultsTable)
        if (row.fileTypes == bareExtension)
            return row.folderName;
    return bareExtension;
}

void CarvingScan::handleHit(const FileType1& type, std::size_t position) {
    if (m_pending) {
        appendChunkBytes(m_pending->start, position);
        finishPendingFile();
    }
    std::string bare = type.extension.empty() ? std::string() : type.extension.substr(1);
    PendingFile file;
    if (m_photo) {
        ++m_photoFileNumber;
        file.fileName =
            NumberedFileName(m_thoroughPass ? "THDR" : "GNDR", type.extension, "", m_photoFileNumber);
        file.inMemory = true;
        // The buffer of the last file is used again: growing a fresh one for every picture costs more
        // than reading it did.
        file.bytes = std::move(m_spareBuffer);
        file.bytes.clear();
        // Room for the most the file can take (its limit and one chunk, see accountChunkEnd) is set aside
        // at once: untouched pages cost nothing, and the buffer never has to move to grow, which would hold
        // two copies at once.
        std::uint64_t most = parseMaxSize(type.maxSizeText) + kCarveChunkBytes;
        file.bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(most, kMaxPhotoReservation)));
    } else {
        std::uint64_t number = 1;
        if (TypeResultRow* row = findTypeResult(m_state, bare)) {
            number = row->lastfileNo + 1;
            row->lastfileNo = number;
        }
        file.fileName = NumberedFileName(bare, bare, "", number);
    }
    file.extension = type.extension;
    file.maximumSize = type.maxSizeText;
    file.maximumBytes = parseMaxSize(type.maxSizeText);
    file.folder =
        typeOutputFolder(m_request.destination, m_request.mode, m_thoroughPass, typeFolderFor(bare));
    file.start = position;
    file.accumulated = 0;
    if (!file.inMemory && !openStreamedFile(file))
        noteFailure(file);
    m_pending = std::move(file);
}

void CarvingScan::appendChunkBytes(std::size_t from, std::size_t to) {
    to = std::min(to, m_chunkValid);
    if (from >= to)
        return;
    appendToPendingFile(*m_pending, std::span<const std::byte>(m_chunk.data() + from, to - from));
    if (m_pending->failed && !m_pending->inMemory && m_pending->error == ENOSPC)
        noteFailure(*m_pending);
}

void CarvingScan::accountChunkEnd() {
    if (!m_pending)
        return;
    std::uint64_t limit = m_pending->maximumBytes;
    std::size_t start = m_pending->start;
    std::uint64_t add = std::min<std::uint64_t>(kCarveChunkBytes - start, limit);
    m_pending->accumulated += add;
    if (m_pending->accumulated <= limit) {
        appendChunkBytes(start, start + static_cast<std::size_t>(add));
        m_pending->start = 0;
    } else {
        finishPendingFile();
    }
}

void CarvingScan::noteFailure(const PendingFile& file) {
    if (m_outcome.firstWriteError.empty())
        m_outcome.firstWriteError =
            (file.savedPath.empty() ? file.folder + "/" + file.fileName : file.savedPath) + ": " +
            std::strerror(file.error);
    if (file.error == ENOSPC && !m_outcome.destinationFull) {
        // A full destination ends the scan, as it ends a save: every later file would fail too.
        m_outcome.destinationFull = true;
        m_outcome.stopped = true;
        stopFlag() = true;
    }
}

void CarvingScan::finishStored(PendingFile& file) {
    ++m_outcome.filesStored;
    std::string bare = file.extension.empty() ? std::string() : file.extension.substr(1);
    if (m_photo) {
        m_view.AddThumbnail(file.bytes, file.fileName, file.savedPath);
        return;
    }
    if (!m_thoroughPass)
        ++m_state.GeneralFoundCount;
    if (TypeResultRow* row = findTypeResult(m_state, bare)) {
        ++row->filesFound;
        row->nameOfFile = file.fileName;
        row->pathOfFileSaved = file.savedPath;
    }
    m_state.recoveredFiles.append(RecoveredFile{file.fileName, file.savedPath}, m_state.GeneralFoundCount);
    m_view.AppendRecoveredFile(bare, file.fileName, file.savedPath);
}

void CarvingScan::finishPendingFile() {
    if (!m_pending)
        return;
    PendingFile file = std::move(*m_pending);
    m_pending.reset();
    bool stored = file.inMemory ? storeInMemoryFile(file) : closeStreamedFile(file);
    if (stored) {
        finishStored(file);
    } else {
        ++m_outcome.filesFailed;
        noteFailure(file);
    }
    if (file.inMemory)
        m_spareBuffer = std::move(file.bytes);
}

void CarvingScan::CarvePass(std::uint64_t startSector, std::uint64_t endSector, std::string_view passFolder,
                            std::string_view kind) {
    m_thoroughPass = passFolder.find("Omitted") != std::string_view::npos;
    m_list = m_photo ? (m_thoroughPass ? &m_state.AdvanceTypeList : &m_state.GeneralTypeList)
                     : &m_state.ActiveTypeList;
    m_photoFileNumber = 0;
    setUpPass(startSector, endSector, kind);
    if (!m_photo && m_list->empty())
        return;
    m_index = buildPassIndex(*m_list);
    m_view.progressSetup(startSector, endSector, (endSector - startSector) / kCarveChunkSectors + 1);

    if (!openDevice()) {
        m_handle.close();
        return;
    }
    for (std::uint64_t sector = startSector; sector <= endSector; sector += kCarveChunkSectors) {
        if (stopRequested())
            break;
        ChunkRead read = readChunk(sector, endSector);
        if (read == ChunkRead::EndPass)
            break;
        if (read == ChunkRead::Skip) {
            if (endSector - sector < kCarveChunkSectors)
                break;
            continue;
        }
        m_view.setCurrentSectorText(std::to_string(sector));
        scanPositions(sector);
        accountChunkEnd();
        m_view.progressStep(sector + kCarveChunkSectors);
        if (endSector - sector < kCarveChunkSectors)
            break; // the next chunk would start past the range (and the sector number could wrap)
    }
    finishPendingFile();
    m_handle.close();
}

CarveScanOutcome CarvingScan::run() {
    const std::uint64_t start = m_request.startSector;
    const std::uint64_t end = m_request.endSector;
    if (start >= end) {
        m_prompter.inform(kEndSectorMessage);
        return m_outcome;
    }
    m_outcome.ran = true;
    std::string kind(carveModeWord(m_request.mode));
    if (m_photo) {
        CarvePass(start, end, "General\\", kind);
        if (m_request.thorough && !m_state.PhotoStop)
            CarvePass(start, end, "Omitted\\", kind);
    } else {
        CarvePass(start, end, "General\\", kind);
        m_state.ActiveTypeList.clear();
        if (m_request.thorough && !m_state.SignatureStop) {
            std::string_view file =
                m_request.mode == CarveMode::Video ? kVideoThoroughDataFile : kSignatureThoroughDataFile;
            auto text = readSignatureDataFile(m_request.dataDirectory, file);
            if (!text) {
                m_outcome.fatalMessage = text.error().message;
                return m_outcome;
            }
            LoadCheckedTypes(*text, m_state.typeChooser, m_state.ActiveTypeList);
            if (!m_state.ActiveTypeList.empty() && !m_state.ActiveTypeList.offsets.empty()) {
                for (TypeResultRow& row : m_state.TypeResultsTable) {
                    row.count = 0;
                    row.folderName = row.fileTypes;
                }
                CarvePass(start, end, "Omitted\\", kind);
            }
        }
    }
    m_outcome.stopped = m_outcome.stopped || stopFlag();
    m_view.scanEnded();
    stopFlag() = false;
    return m_outcome;
}

} // namespace

CarveScanOutcome RunCarvingScan(CarvingState& state, const DeviceNamespace& devices,
                                const CarveScanRequest& request, CarveView& view, Prompter& prompter) {
    return CarvingScan(state, devices, request, view, prompter).run();
}

} // namespace salvora
