// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/medium.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace salvora {
namespace {

// How many bytes of a read at byteOffset fall inside a window of windowLength bytes.
std::size_t clipToWindow(std::uint64_t byteOffset, std::size_t wanted, std::uint64_t windowLength) {
    if (byteOffset >= windowLength)
        return 0;
    return static_cast<std::size_t>(std::min<std::uint64_t>(wanted, windowLength - byteOffset));
}

std::optional<std::uint64_t> descriptorSize(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return std::nullopt;
    if (S_ISBLK(info.st_mode)) {
        std::uint64_t bytes = 0;
        if (ioctl(fd, BLKGETSIZE64, &bytes) != 0)
            return std::nullopt;
        return bytes;
    }
    if (S_ISREG(info.st_mode))
        return static_cast<std::uint64_t>(info.st_size);
    return std::nullopt; // a directory or anything else is not a medium
}

class OpenFile final : public OpenMedium {
public:
    explicit OpenFile(int fd) : m_fd(fd) {}
    ~OpenFile() override { ::close(m_fd); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    std::optional<std::size_t> readAt(std::uint64_t byteOffset, std::span<std::byte> out) override {
        const std::size_t wanted = out.size();
        std::size_t done = 0;
        while (done < wanted) {
            ssize_t got = ::pread(m_fd, out.data() + done, wanted - done,
                                  static_cast<off_t>(byteOffset + done));
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return std::nullopt;
            }
            if (got == 0)
                break; // end of the file or device
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

private:
    int m_fd;
};

class OpenMemory final : public OpenMedium {
public:
    explicit OpenMemory(std::shared_ptr<const std::vector<std::byte>> bytes) : m_bytes(std::move(bytes)) {}
    std::optional<std::size_t> readAt(std::uint64_t byteOffset, std::span<std::byte> out) override {
        std::size_t count = clipToWindow(byteOffset, out.size(), m_bytes->size());
        if (count > 0) // past the end there is nothing to copy, and no iterator to form
            std::copy_n(m_bytes->begin() + static_cast<std::ptrdiff_t>(byteOffset), count, out.begin());
        return count;
    }

private:
    std::shared_ptr<const std::vector<std::byte>> m_bytes;
};

class OpenWindow final : public OpenMedium {
public:
    OpenWindow(std::unique_ptr<OpenMedium> base, std::uint64_t offset, std::uint64_t length)
        : m_base(std::move(base)), m_offset(offset), m_length(length) {}
    std::optional<std::size_t> readAt(std::uint64_t byteOffset, std::span<std::byte> out) override {
        std::size_t count = clipToWindow(byteOffset, out.size(), m_length);
        return m_base->readAt(m_offset + byteOffset, out.first(count));
    }

private:
    std::unique_ptr<OpenMedium> m_base;
    std::uint64_t m_offset;
    std::uint64_t m_length;
};

} // namespace

FileMedium::FileMedium(std::string path) : m_path(std::move(path)) {}

std::unique_ptr<OpenMedium> FileMedium::open() const {
    // Read-only, always: nothing in the product opens a medium for writing.
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISBLK(info.st_mode))) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<OpenFile>(fd);
}

std::optional<std::uint64_t> FileMedium::size() const {
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    auto bytes = descriptorSize(fd);
    ::close(fd);
    return bytes;
}

MemoryMedium::MemoryMedium(std::vector<std::byte> bytes, std::string name)
    : m_bytes(std::make_shared<const std::vector<std::byte>>(std::move(bytes))), m_name(std::move(name)) {}

std::unique_ptr<OpenMedium> MemoryMedium::open() const { return std::make_unique<OpenMemory>(m_bytes); }

WindowMedium::WindowMedium(std::shared_ptr<const Medium> base, std::uint64_t offset, std::uint64_t length)
    : m_base(std::move(base)), m_offset(offset), m_length(length) {}

std::unique_ptr<OpenMedium> WindowMedium::open() const {
    auto base = m_base->open();
    if (!base)
        return nullptr;
    return std::make_unique<OpenWindow>(std::move(base), m_offset, m_length);
}

std::optional<std::uint64_t> WindowMedium::size() const {
    auto baseSize = m_base->size();
    if (!baseSize)
        return std::nullopt;
    std::uint64_t available = *baseSize > m_offset ? *baseSize - m_offset : 0;
    return std::min(available, m_length);
}

} // namespace salvora
