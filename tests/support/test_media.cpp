// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_media.h"

#include <algorithm>

namespace salvora::test {
namespace {

class OpenPatched final : public OpenMedium {
public:
    OpenPatched(std::unique_ptr<OpenMedium> base, const std::map<std::uint64_t, std::vector<std::byte>>& patches)
        : m_base(std::move(base)), m_patches(patches) {}
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) override {
        auto got = m_base->readAt(offset, out);
        if (!got)
            return got;
        for (const auto& [at, bytes] : m_patches) {
            std::uint64_t first = std::max(at, offset);
            std::uint64_t end = std::min<std::uint64_t>(at + bytes.size(), offset + *got);
            for (std::uint64_t i = first; i < end; ++i)
                out[i - offset] = bytes[i - at];
        }
        return got;
    }

private:
    std::unique_ptr<OpenMedium> m_base;
    const std::map<std::uint64_t, std::vector<std::byte>>& m_patches;
};

class OpenFaulty final : public OpenMedium {
public:
    OpenFaulty(std::unique_ptr<OpenMedium> base, std::shared_ptr<FaultyMedium::State> state)
        : m_base(std::move(base)), m_state(std::move(state)) {}
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) override {
        ++m_state->reads;
        if (!m_state->present)
            return std::nullopt;
        {
            std::lock_guard lock(m_state->mutex);
            for (const auto& [first, end] : m_state->failing)
                if (offset < end && first < offset + out.size())
                    return std::nullopt;
        }
        return m_base->readAt(offset, out);
    }

private:
    std::unique_ptr<OpenMedium> m_base;
    std::shared_ptr<FaultyMedium::State> m_state;
};

class OpenRecording final : public OpenMedium {
public:
    OpenRecording(std::uint64_t size, std::shared_ptr<std::vector<std::uint64_t>> offsets)
        : m_size(size), m_offsets(std::move(offsets)) {}
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) override {
        m_offsets->push_back(offset);
        std::size_t count = offset >= m_size ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), m_size - offset));
        std::fill_n(out.begin(), count, std::byte{0});
        return count;
    }

private:
    std::uint64_t m_size;
    std::shared_ptr<std::vector<std::uint64_t>> m_offsets;
};

} // namespace

std::unique_ptr<OpenMedium> PatchedMedium::open() const {
    auto base = m_base->open();
    return base ? std::make_unique<OpenPatched>(std::move(base), m_patches) : nullptr;
}

std::unique_ptr<OpenMedium> FaultyMedium::open() const {
    if (!m_state->present)
        return nullptr;
    auto base = m_base->open();
    return base ? std::make_unique<OpenFaulty>(std::move(base), m_state) : nullptr;
}

std::optional<std::uint64_t> FaultyMedium::size() const {
    return m_state->present ? m_base->size() : std::nullopt;
}

std::unique_ptr<OpenMedium> RecordingMedium::open() const {
    return std::make_unique<OpenRecording>(m_size, m_offsets);
}

} // namespace salvora::test
