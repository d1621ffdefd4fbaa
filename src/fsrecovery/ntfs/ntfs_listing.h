// SPDX-License-Identifier: GPL-3.0-or-later
// The NTFS half of the file list: the files of one folder, from the file index the scan left in
// NtfsItemTable. Each file's record is read the first time its folder is listed; its name, size and date
// then stay in the table, so a second listing reads nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "fsrecovery/file_list.h"
#include "fsrecovery/ntfs/mft_runs.h"
#include "fsrecovery/scan_tables.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora {

class NtfsFolderWalker final : public FolderFileWalker {
public:
    NtfsFolderWalker(const DeviceNamespace& devices, std::string devicePath, TextTable& itemTable,
                     const MftRunTable& runs, const VolumeParameters& volume)
        : m_devices(devices), m_devicePath(std::move(devicePath)), m_items(itemTable), m_runs(runs),
          m_volume(volume) {}

    std::uint32_t rootSelf() const override { return 5; }
    void listFiles(FileList& list, std::uint32_t self, const StopFlag& listStop) override {
        ListNtfsFolder(list, self, listStop);
    }

    // Appends the files of folder self (5: the root) in table order, testing listStop before every row.
    void ListNtfsFolder(FileList& list, std::uint32_t self, const StopFlag& listStop);

    // Records read from the medium by the listings so far.
    std::uint64_t recordReads() const { return m_recordReads; }

private:
    const std::vector<std::size_t>& rowsOf(std::uint32_t parent);
    void refreshIndex();

    const DeviceNamespace& m_devices;
    std::string m_devicePath;
    TextTable& m_items;
    const MftRunTable& m_runs;
    VolumeParameters m_volume;
    std::uint64_t m_recordReads = 0;

    // Rows of the table by parent, in table order, so that listing every folder stays linear. Rebuilt when
    // the table no longer looks like the one indexed (rows added, removed or replaced).
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> m_rowsOfParent;
    std::size_t m_indexedRows = 0;
    std::string m_firstKey;
    std::string m_lastKey;
};

} // namespace salvora
