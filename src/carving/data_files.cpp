// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/data_files.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace salvora {
namespace {

constexpr std::string_view kOpenFailure = "Couldn't open source file: ";

std::string openFailureText(const std::string& path, int error) {
    if (error == ENOENT || error == ENOTDIR)
        return std::string(kOpenFailure) + path + " was not found.";
    return std::string(kOpenFailure) + std::strerror(error) + ": " + path;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::string executableDirectory() {
    std::array<char, 4096> buffer{};
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string dataFilePath(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

Result<std::string> readSignatureDataFile(std::string_view directory, std::string_view name) {
    std::string path = dataFilePath(directory, name);
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return makeError(ErrorKind::IoFailure, openFailureText(path, errno));
    std::string text;
    std::array<char, 65536> chunk{};
    while (text.size() < kMaxDataFileSize) {
        ssize_t got = ::read(fd.get(), chunk.data(), std::min(chunk.size(), kMaxDataFileSize - text.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return makeError(ErrorKind::IoFailure, openFailureText(path, errno));
        if (got == 0)
            break;
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return text;
}

std::string CheckSignatureFiles(std::string_view directory) {
    for (std::string_view name :
         {kPhotoDataFile, kPhotoThoroughDataFile, kSignatureDataFile, kSignatureThoroughDataFile}) {
        std::string path = dataFilePath(directory, name);
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0)
            return openFailureText(path, errno);
    }
    return {};
}

Result<bool> LoadTypeListFile(std::string_view directory, std::string_view name, TypeList& list) {
    auto text = readSignatureDataFile(directory, name);
    if (!text)
        return text.error();
    LoadTypeList(*text, list);
    return true;
}

} // namespace salvora
