// SPDX-License-Identifier: GPL-3.0-or-later
// Media for tests: bytes patched over another medium (a damaged boot sector without touching the image),
// a medium whose reads fail in a range or that goes away and comes back, and one that records offsets.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "storage/medium.h"

namespace salvora::test {

// Shows base with some bytes replaced.
class PatchedMedium final : public Medium {
public:
    explicit PatchedMedium(std::shared_ptr<const Medium> base) : m_base(std::move(base)) {}
    void patch(std::uint64_t byteOffset, std::vector<std::byte> bytes) { m_patches[byteOffset] = std::move(bytes); }
    // Overwrites one whole 512-byte sector with a byte value.
    void fillSector(std::uint64_t sector, std::byte value) { patch(sector * 512, std::vector<std::byte>(512, value)); }
    std::unique_ptr<OpenMedium> open() const override;
    std::optional<std::uint64_t> size() const override { return m_base->size(); }
    std::string origin() const override { return m_base->origin(); }

private:
    std::shared_ptr<const Medium> m_base;
    std::map<std::uint64_t, std::vector<std::byte>> m_patches;
};

// Injects faults: reads touching a failing byte range fail, and a medium that is "removed" cannot be
// opened and fails the reads of handles already open, until it is "reinserted".
class FaultyMedium final : public Medium {
public:
    explicit FaultyMedium(std::shared_ptr<const Medium> base) : m_base(std::move(base)) {}
    void failBytes(std::uint64_t first, std::uint64_t end) {
        std::lock_guard lock(m_state->mutex);
        m_state->failing.emplace_back(first, end);
    }
    // Lets every range read again, as a card that was put back properly.
    void clearFailures() {
        std::lock_guard lock(m_state->mutex);
        m_state->failing.clear();
    }
    void remove() { m_state->present = false; }
    void reinsert() { m_state->present = true; }
    std::uint64_t readCount() const { return m_state->reads; }
    std::unique_ptr<OpenMedium> open() const override;
    std::optional<std::uint64_t> size() const override;
    std::string origin() const override { return m_base->origin(); }

    struct State {
        std::mutex mutex;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> failing;
        std::atomic<bool> present{true};
        std::atomic<std::uint64_t> reads{0};
    };

private:
    std::shared_ptr<const Medium> m_base;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// Serves zeros of a given size and records the byte offset of every read: for offsets no image could hold.
class RecordingMedium final : public Medium {
public:
    explicit RecordingMedium(std::uint64_t size) : m_size(size), m_offsets(std::make_shared<std::vector<std::uint64_t>>()) {}
    std::unique_ptr<OpenMedium> open() const override;
    std::optional<std::uint64_t> size() const override { return m_size; }
    std::string origin() const override { return "recording"; }
    const std::vector<std::uint64_t>& offsets() const { return *m_offsets; }

private:
    std::uint64_t m_size;
    std::shared_ptr<std::vector<std::uint64_t>> m_offsets;
};

} // namespace salvora::test
