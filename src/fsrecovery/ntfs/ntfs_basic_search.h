// SPDX-License-Identifier: GPL-3.0-or-later
// The NTFS branch of a Basic Search: load the $MFT's runs, scan its records into the model, build the tree
// with the NTFS root number, and list folders from the file index afterwards.
#pragma once

#include <memory>

#include "fsrecovery/basic_search.h"
#include "fsrecovery/ntfs/mft_scan.h"
#include "fsrecovery/ntfs/ntfs_state.h"

namespace salvora {

class NtfsRecordWalker final : public NtfsBasicSearch {
public:
    explicit NtfsRecordWalker(NtfsState& state) : m_state(state) {}

    void scanVolume(BasicSearchContext& context) override;
    std::unique_ptr<FolderFileWalker> folderWalker(BasicSearchContext& context) override;

    const MftScanOutcome& lastScan() const { return m_lastScan; }

private:
    NtfsState& m_state;
    MftScanOutcome m_lastScan;
};

} // namespace salvora
