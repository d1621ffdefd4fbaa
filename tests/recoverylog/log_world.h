// SPDX-License-Identifier: GPL-3.0-or-later
// The state a recovery log is written from and loaded into, filled by hand, with a prompter that records
// what it is told and answers questions from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "recoverylog/recovery_log_reader.h"
#include "recoverylog/recovery_log_writer.h"

namespace salvora::test {

class ScriptedPrompter final : public Prompter {
public:
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
};

struct LogWorld {
    RecoveryLogState log;
    std::string CurrentDevicePath;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    DeepSearchState deep;
    DriveListState driveList;
    NullProgress progress;
    ScriptedPrompter prompter;

    RecoveryLogView view(SearchMode mode) const {
        return RecoveryLogView{mode, log.origin, volumes, tables, folders};
    }
    RecoveryLogLoadContext loadContext(SearchMode mode) {
        return RecoveryLogLoadContext{mode,    log,  CurrentDevicePath, volumes,  tables,
                                      folders, deep, driveList,         progress, prompter};
    }
    std::vector<std::byte> encode(SearchMode mode) const {
        MemoryLogSink sink;
        LogEncoder encoder(sink);
        encodeRecoveryLog(view(mode), encoder);
        encoder.flush();
        return sink.bytes();
    }
    LogLoadOutcome load(SearchMode mode, const std::vector<std::byte>& bytes) {
        MemoryLogInput input(bytes);
        RecoveryLogLoadContext context = loadContext(mode);
        return LoadRecoveryLogFrom(context, input);
    }
    TreeItem add(TreeItem parent, const std::string& name, std::uint32_t self, std::uint32_t parentNumber,
                 bool deleted = false, std::uint64_t cluster0Start = 0) {
        FolderTreeBuilder builder(folders, tables);
        return builder.InsertFolderNode(parent, name, self, 0x4265, 0x7BCF, parentNumber, deleted,
                                        cluster0Start);
    }
};

// The tree as text, one item a line, indented by depth, with each node's numbers: what a round trip keeps.
std::string describeTree(const FolderModel& folders);

} // namespace salvora::test
