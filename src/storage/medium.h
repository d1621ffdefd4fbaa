// SPDX-License-Identifier: GPL-3.0-or-later
// A medium is something whose bytes can be read: a block device, an image file, a window of one (a
// partition), or memory in tests. There is deliberately no way to write through this interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace salvora {

// One open, read-only view of a medium.
class OpenMedium {
public:
    virtual ~OpenMedium() = default;
    // Reads up to out.size() bytes at byteOffset. Returns the number of bytes read (short or 0 at the end
    // of the medium), or nullopt when the read failed.
    virtual std::optional<std::size_t> readAt(std::uint64_t byteOffset, std::span<std::byte> out) = 0;
};

class Medium {
public:
    virtual ~Medium() = default;
    // Opens the medium for reading; nullptr when it cannot be opened (gone, no permission).
    virtual std::unique_ptr<OpenMedium> open() const = 0;
    // Size in bytes, or nullopt when it cannot be told (the medium is gone).
    virtual std::optional<std::uint64_t> size() const = 0;
    // Where the bytes come from, for messages ("/dev/sdb", "card.img").
    virtual std::string origin() const = 0;
};

// A regular file or a block device, opened with O_RDONLY.
class FileMedium final : public Medium {
public:
    explicit FileMedium(std::string path);
    std::unique_ptr<OpenMedium> open() const override;
    std::optional<std::uint64_t> size() const override;
    std::string origin() const override { return m_path; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Bytes held in memory: tests and fuzz targets feed parsers through it.
class MemoryMedium final : public Medium {
public:
    explicit MemoryMedium(std::vector<std::byte> bytes, std::string name = "memory");
    std::unique_ptr<OpenMedium> open() const override;
    std::optional<std::uint64_t> size() const override { return m_bytes->size(); }
    std::string origin() const override { return m_name; }

private:
    std::shared_ptr<const std::vector<std::byte>> m_bytes;
    std::string m_name;
};

// A window [offset, offset + length) of another medium, e.g. a partition of an attached disk.
class WindowMedium final : public Medium {
public:
    WindowMedium(std::shared_ptr<const Medium> base, std::uint64_t offset, std::uint64_t length);
    std::unique_ptr<OpenMedium> open() const override;
    std::optional<std::uint64_t> size() const override;
    std::string origin() const override { return m_base->origin(); }

private:
    std::shared_ptr<const Medium> m_base;
    std::uint64_t m_offset;
    std::uint64_t m_length;
};

} // namespace salvora
