// SPDX-License-Identifier: GPL-3.0-or-later
// A whole Basic Search of a fuzzed FAT volume: parameters, the lost-directory scan, the tree building, the
// naming of every folder and the listing of every folder. Loops in ".." chains and in the FAT, and cluster
// numbers past the volume, must end.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fsrecovery/basic_search.h"

namespace {

// The fuzzed bytes as a medium; reads past the end come back short, as from a real image.
class FuzzMedium final : public salvora::Medium {
public:
    explicit FuzzMedium(std::vector<std::byte> bytes)
        : m_bytes(std::make_shared<std::vector<std::byte>>(std::move(bytes))) {}
    std::unique_ptr<salvora::OpenMedium> open() const override { return std::make_unique<Open>(m_bytes); }
    std::optional<std::uint64_t> size() const override { return m_bytes->size(); }
    std::string origin() const override { return "fuzz"; }

private:
    class Open final : public salvora::OpenMedium {
    public:
        explicit Open(std::shared_ptr<const std::vector<std::byte>> bytes) : m_bytes(std::move(bytes)) {}
        std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) override {
            if (offset >= m_bytes->size())
                return 0;
            const std::size_t count = std::min<std::uint64_t>(out.size(), m_bytes->size() - offset);
            std::memcpy(out.data(), m_bytes->data() + offset, count);
            return count;
        }

    private:
        std::shared_ptr<const std::vector<std::byte>> m_bytes;
    };
    std::shared_ptr<const std::vector<std::byte>> m_bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    if (size < 1 || size > (4u << 20))
        return 0;
    DeviceNamespace devices;
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    devices.setVolume('D', std::make_shared<FuzzMedium>(std::vector<std::byte>(bytes + 1, bytes + size)));
    VolumeState volumes;
    volumes.selectedVolume = {volumePath('D'), (data[0] & 1) ? "FAT32" : "FAT16", 0, (size - 1) / 512};
    ScanTables tables;
    FolderModel folders;
    NullProgress progress;
    NullPrompter prompter;
    StopFlag stop{false};
    BasicSearchContext context{devices, volumePath('D'), volumes, tables, folders, progress, prompter, stop};
    RunBasicSearch(context);
    auto walker = BasicSearchFolderWalker(context);
    RenameAllFolders(folders, walker.get());
    for (TreeItem item = 1; item <= folders.tree.itemCount(); ++item) {
        FileList list;
        PopulateList(folders, item, walker.get(), list);
        folders.tree.toggleCheck(item);
    }
    return 0;
}
