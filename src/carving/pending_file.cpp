// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/pending_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "carving/output_layout.h"
#include "storage/output_naming.h"

namespace salvora {
namespace {

// Creates path exclusively, moving on to the next free "_dd_N" name when another file took it meanwhile.
int createExclusive(const std::string& wanted, std::string& created, int& error) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string path = firstFreeCarvedPath(wanted);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            created = path;
            return fd;
        }
        error = errno;
        if (error != EEXIST)
            return -1;
    }
    return -1;
}

bool writeAll(int fd, std::span<const std::byte> bytes, int& error) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

std::string wantedPath(const PendingFile& file) {
    return file.folder + "/" + safeComponentName(file.fileName);
}

} // namespace

bool openStreamedFile(PendingFile& file) {
    if (!createCarvedFolders(file.folder)) {
        file.failed = true;
        file.error = errno ? errno : EACCES;
        return false;
    }
    file.fd = createExclusive(wantedPath(file), file.savedPath, file.error);
    file.failed = file.fd < 0;
    return !file.failed;
}

void appendToPendingFile(PendingFile& file, std::span<const std::byte> bytes) {
    if (bytes.empty() || file.failed)
        return;
    if (file.inMemory) {
        file.bytes.insert(file.bytes.end(), bytes.begin(), bytes.end());
        return;
    }
    if (file.fd >= 0 && !writeAll(file.fd, bytes, file.error))
        file.failed = true;
}

bool storeInMemoryFile(PendingFile& file) {
    if (!createCarvedFolders(file.folder)) {
        file.failed = true;
        file.error = errno ? errno : EACCES;
        return false;
    }
    int fd = createExclusive(wantedPath(file), file.savedPath, file.error);
    if (fd < 0) {
        file.failed = true;
        return false;
    }
    bool written = writeAll(fd, file.bytes, file.error);
    if (::close(fd) != 0 && written) {
        file.error = errno;
        written = false;
    }
    file.failed = !written;
    return written;
}

bool closeStreamedFile(PendingFile& file) {
    if (file.fd < 0)
        return !file.failed;
    int result = ::close(file.fd);
    file.fd = -1;
    if (result != 0 && !file.failed) {
        file.failed = true;
        file.error = errno;
    }
    return !file.failed;
}

} // namespace salvora
