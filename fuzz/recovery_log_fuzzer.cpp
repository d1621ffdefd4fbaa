// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a fuzzed recovery log, then writing the loaded state out again. The first byte chooses the window
// that loads it (bit 0: Deep) and the answer to every question (bit 1: No); the rest is the log. Counts that
// claim more than the log holds, strings cut short, depth jumps and a missing terminator must neither crash
// nor allocate or loop beyond what the bytes can hold.
#include <cstdint>
#include <string>
#include <vector>

#include "recoverylog/recovery_log_reader.h"
#include "recoverylog/recovery_log_writer.h"

namespace {

class FixedPrompter final : public salvora::Prompter {
public:
    explicit FixedPrompter(bool answer) : m_answer(answer) {}
    void inform(const std::string&) override {}
    bool askYesNo(const std::string&) override { return m_answer; }

private:
    bool m_answer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    if (size < 1 || size > (8u << 20))
        return 0;
    const SearchMode mode = (data[0] & 1) ? SearchMode::Deep : SearchMode::Basic;
    FixedPrompter prompter((data[0] & 2) == 0);
    const auto* bytes = reinterpret_cast<const std::byte*>(data + 1);

    RecoveryLogState log;
    std::string currentDevicePath;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    DeepSearchState deep;
    DriveListState driveList;
    // The media the seeds were written from (tools/make-fuzz-seeds), so the loads get past the medium check.
    driveList.AttachedVolumeEntries = {"\\\\.\\D:|81920", "\\\\.\\D:|32768", "\\\\.\\D:|131072"};
    driveList.AttachedDiskIdentities = {"Disk Image mbr-fat16.img UNKNOWN Device||32.00 MB||65536||0",
                                        "Disk Image two-volumes.img UNKNOWN Device||270.00 MB||552960||0",
                                        "Disk Image card.img UNKNOWN Device||26.00 MB||53248||0"};
    NullProgress progress;
    RecoveryLogLoadContext context{mode,    log,  currentDevicePath, volumes,  tables,
                                   folders, deep, driveList,         progress, prompter};
    MemoryLogInput input(ByteSpan(bytes, size - 1));
    LoadRecoveryLogFrom(context, input);

    MemoryLogSink sink;
    LogEncoder encoder(sink);
    encodeRecoveryLog({mode, log.origin, volumes, tables, folders}, encoder);
    encoder.flush();
    return 0;
}
