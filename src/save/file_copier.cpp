// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/file_copier.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "storage/output_naming.h"
#include "storage/sector_reader.h"

namespace salvora {
namespace {

// Clusters are read in runs of up to this many bytes: one request per run instead of one per 4 KiB.
constexpr std::size_t kCopyChunkBytes = 256 * 1024;

class OutputFile {
public:
    explicit OutputFile(const std::string& path)
        : m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)),
          m_error(m_fd < 0 ? errno : 0) {}
    ~OutputFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }
    bool write(const std::byte* data, std::size_t size) {
        while (size > 0) {
            ssize_t done = ::write(m_fd, data, size);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                m_error = done < 0 ? errno : ENOSPC;
                return false;
            }
            data += done;
            size -= static_cast<std::size_t>(done);
        }
        return true;
    }

private:
    int m_fd;
    int m_error;
};

bool isDestinationFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

// A full destination stops the whole save; other failures only end the current file.
void reportWriteFailure(SaveContext& context, int error) {
    if (!isDestinationFull(error) || context.state.QuietSave)
        return;
    context.prompter.inform(kDestinationFullMessage);
    context.state.StopSaving = true;
}

bool stopRequested(const SaveContext& context) {
    return context.state.SkipCurrentFile || context.state.StopSaving;
}

// Reads sectors into buffer; a chunk the medium refuses is read again sector by sector, and what still
// fails stays zero.
void readSectorsOrZeros(DeviceHandle& handle, std::uint64_t sector, std::span<std::byte> buffer) {
    std::fill(buffer.begin(), buffer.end(), std::byte{0});
    std::size_t got = 0;
    handle.seek(sector);
    if (handle.read(buffer.data(), buffer.size(), got))
        return;
    for (std::size_t offset = 0; offset < buffer.size(); offset += kSectorSize) {
        handle.seek(sector + offset / kSectorSize);
        std::span<std::byte> one =
            buffer.subspan(offset, std::min<std::size_t>(kSectorSize, buffer.size() - offset));
        if (!handle.read(one.data(), one.size(), got))
            std::fill(one.begin(), one.end(), std::byte{0});
    }
}

} // namespace

bool prepareFile(SaveContext& context, FileSaveRequest& request) {
    SaveState& state = context.state;
    state.SkipCurrentFile = false;
    // A folder cannot be overwritten by a file: a file that would land on one takes the next free name.
    if (std::error_code ignored; std::filesystem::is_directory(request.destinationPath, ignored)) {
        request.destinationPath = MakeDuplicateName(request.destinationPath);
        request.displayName = fileNamePart(request.destinationPath);
    }
    if (request.askFlag == 1) {
        if (::access(request.destinationPath.c_str(), F_OK) == 0 &&
            resolveNameConflict(state, context.conflicts, request.destinationPath, request.displayName) ==
                ConflictOutcome::Skip)
            return false;
        ++state.FilesSaved;
        context.progress.countText(fileCountText(state.FilesSaved, state.FilesToSave));
    }
    if (!state.QuietSave) {
        context.progress.fileStarted(request.destinationPath, request.displayName);
        context.progress.bytesText(byteProgressText(0, request.size));
        context.progress.totalBarStep();
    }
    return true;
}

bool copyExtentsToFile(SaveContext& context, const std::string& path,
                       const std::vector<ClusterExtent>& extents, std::uint64_t size, std::uint16_t askFlag) {
    OutputFile out(path);
    if (!out.isOpen()) {
        reportWriteFailure(context, out.error());
        return false;
    }
    const bool showProgress = !context.state.QuietSave;
    if (showProgress)
        context.progress.currentBarRange(size);
    DeviceHandle handle;
    handle.open(context.devices, context.devicePath); // a medium that is gone reads as zeros below
    const std::uint64_t spc = std::max<std::uint32_t>(context.params.SPC, 1);
    const std::uint64_t clusterBytes = spc * kSectorSize;
    std::vector<std::byte> buffer(std::max<std::uint64_t>(kCopyChunkBytes, clusterBytes));
    std::uint64_t written = 0;
    for (const ClusterExtent& extent : extents) {
        const std::uint64_t extentBytes = extent.clusterCount * clusterBytes;
        for (std::uint64_t done = 0; done < extentBytes && written < size;) {
            if (stopRequested(context)) {
                context.state.SkipCurrentFile = false;
                return true;
            }
            std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(
                {buffer.size() / clusterBytes * clusterBytes, extentBytes - done, size - written}));
            std::span<std::byte> block(buffer.data(), chunk);
            if (extent.sparse)
                std::fill(block.begin(), block.end(), std::byte{0});
            else
                readSectorsOrZeros(
                    handle, context.params.Cluster0Start + extent.firstCluster * spc + done / kSectorSize,
                    block);
            if (!out.write(block.data(), block.size())) {
                reportWriteFailure(context, out.error());
                return true;
            }
            done += chunk;
            written += chunk;
            if (showProgress) {
                context.progress.currentBarPosition(written);
                if (askFlag == 1)
                    context.progress.bytesText(byteProgressText(written, size));
            }
        }
    }
    if (showProgress) {
        context.progress.bytesText(byteProgressText(written, size));
        context.progress.currentBarFull();
    }
    return true;
}

bool writeBytesToFile(SaveContext& context, const std::string& path, const std::byte* bytes,
                      std::uint64_t size) {
    OutputFile out(path);
    if (!out.isOpen()) {
        reportWriteFailure(context, out.error());
        return false;
    }
    if (size > 0 && !out.write(bytes, static_cast<std::size_t>(size)))
        reportWriteFailure(context, out.error());
    if (!context.state.QuietSave)
        context.progress.currentBarFull();
    return true;
}

void CreateEmptyFile(const std::string& path) {
    OutputFile out(path);
}

std::string byteProgressText(std::uint64_t written, std::uint64_t size) {
    return std::to_string(written) + " / " + std::to_string(size) + " Bytes";
}

std::string fileCountText(std::uint64_t saved, std::uint64_t toSave) {
    return std::to_string(saved) + " / " + std::to_string(toSave);
}

} // namespace salvora
