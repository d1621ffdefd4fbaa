// SPDX-License-Identifier: GPL-3.0-or-later
// The tree card of the save fixtures after a Basic Search, ready to save or open files from, and the
// scripted answers the save tests give.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fsrecovery/basic_search.h"
#include "save/save_run.h"
#include "support/fixtures.h"

namespace salvora::test {

class QuietPrompter : public Prompter {
public:
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    std::vector<std::string> messages;
};

class FixedAnswer : public ConflictPrompter {
public:
    explicit FixedAnswer(ReplaceAnswer answer) : m_answer(std::move(answer)) {}
    ReplaceAnswer askReplace(const std::string& existing, const std::string& proposed) override {
        ++asked;
        ReplaceAnswer answer = m_answer;
        answer.path = answer.answer == ConflictAnswer::Rename || answer.answer == ConflictAnswer::RenameAll
                          ? proposed
                          : existing;
        return answer;
    }
    int asked = 0;

private:
    ReplaceAnswer m_answer;
};

// A Basic Search of the tree card, ready to save from.
struct ScannedCard {
    DeviceNamespace devices;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    NullProgress progress;
    QuietPrompter prompter;
    StopFlag stop{false};
    BasicSearchContext search{devices, volumePath('D'), volumes, tables, folders, progress, prompter, stop};
    std::unique_ptr<FolderFileWalker> walker;
    SaveState state;
    NullSaveProgress saveProgress;

    ScannedCard() {
        auto image = std::make_shared<FileMedium>(test::fixturePath("save/tree.img"));
        devices.setVolume('D', image);
        volumes.selectedVolume = {volumePath('D'), "FAT32", 0, *image->size() / 512};
        RunBasicSearch(search);
        walker = BasicSearchFolderWalker(search);
        // As after the user has browsed the result: every folder shows the name of its entry.
        RenameAllFolders(folders, walker.get());
    }
    SaveContext saveContext(ConflictPrompter& conflicts) {
        return SaveContext{devices, volumePath('D'), "FAT32",   volumes.volumeParameters,
                           state,   saveProgress,    conflicts, prompter};
    }
    SaveRunReport save(const std::string& destination, ConflictPrompter& conflicts) {
        SaveContext context = saveContext(conflicts);
        SaveRunContext run{folders, *walker, context};
        return RunTreeSave(run, destination);
    }
    TreeItem item(const std::string& text) const {
        for (std::size_t i = 1; i <= folders.tree.itemCount(); ++i)
            if (folders.tree.text(static_cast<TreeItem>(i)) == text)
                return static_cast<TreeItem>(i);
        return kNoTreeItem;
    }
};

} // namespace salvora::test
