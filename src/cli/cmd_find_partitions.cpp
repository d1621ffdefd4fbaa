// SPDX-License-Identifier: GPL-3.0-or-later
// salvora find-partitions DISK|DRIVE: "Search More Partitions". A disk is searched cylinder by cylinder for
// the boot sectors of lost partitions; a logical drive is searched sector by sector for the volumes inside
// it. Prints what the search adds to the drive tree, one line per find, and the result message.
#include <ostream>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "app/partition_searches.h"
#include "app/targets.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"

namespace salvora::cli {
namespace {

using Json = nlohmann::ordered_json;

// The cylinder search reports cylinders; the terminal's bar counts sectors to show a reading rate.
class CylinderProgress final : public ProgressSink {
public:
    explicit CylinderProgress(ProgressSink& sectors) : m_sectors(sectors) {}
    void setRange(std::uint64_t first, std::uint64_t last) override {
        m_sectors.setRange(first * kCylinderSectors, last * kCylinderSectors);
    }
    void setPosition(std::uint64_t position) override { m_sectors.setPosition(position * kCylinderSectors); }
    void setStatus(const std::string& text) override { m_sectors.setStatus("Searching partitions" + text); }

private:
    static constexpr std::uint64_t kCylinderSectors = 255 * 63;
    ProgressSink& m_sectors;
};

class DriveProgress final : public ProgressSink {
public:
    explicit DriveProgress(ProgressSink& sectors) : m_sectors(sectors) {}
    void setRange(std::uint64_t first, std::uint64_t last) override { m_sectors.setRange(first, last); }
    void setPosition(std::uint64_t position) override { m_sectors.setPosition(position); }
    void setStatus(const std::string& text) override { m_sectors.setStatus("Searching partitions" + text); }

private:
    ProgressSink& m_sectors;
};

// The result message is printed with the finds, not as a box: keep it.
class MessageCollector final : public Prompter {
public:
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        messages.push_back(text);
        return false;
    }
    std::vector<std::string> messages;
};

void printFinds(const std::vector<PartitionFind>& finds, const std::vector<std::string>& messages, bool json,
                std::ostream& out) {
    if (json) {
        Json rows = Json::array();
        for (const PartitionFind& find : finds) {
            Json row = {{"label", find.label}, {"fileSystem", find.fileSystem},
                        {"start", find.start}, {"end", find.end},
                        {"size", find.size},   {"target", find.target}};
            rows.push_back(row);
        }
        Json result = {{"found", rows}, {"messages", messages}};
        out << result.dump(2) << "\n";
        return;
    }
    for (const PartitionFind& find : finds) {
        out << find.label << "  " << find.fileSystem << "  start " << find.start << "  end " << find.end;
        if (!find.target.empty())
            out << "  target " << find.target;
        out << "\n";
    }
    for (const std::string& message : messages)
        out << message << "\n";
}

} // namespace

int runFindPartitions(Session& session, const FindPartitionsOptions& options, OutputStreams streams) {
    auto target = parseTarget(options.target);
    if (!target) {
        streams.err << "salvora: " << target.error().message << "\n";
        return kExitUsage;
    }
    if (target->kind == Target::Kind::Partition) {
        streams.err << "salvora: find-partitions searches a whole disk (diskN) or a logical drive (L:), not "
                    << targetText(*target) << "\n";
        return kExitUsage;
    }
    // Listed as Deep Search lists, without its automatic search: this command is the search.
    listDrives(session, SearchMode::Deep, false);

    TerminalProgress terminal(streams.err, options.showProgress && isatty(STDERR_FILENO) != 0);
    MessageCollector prompter;
    StopFlag stop{false};
    Result<std::vector<PartitionFind>> finds = std::vector<PartitionFind>{};
    {
        StopOnInterrupt interrupt(stop);
        if (target->kind == Target::Kind::WholeDisk) {
            CylinderProgress progress(terminal);
            finds = searchDiskForLostPartitions(session, session.driveTree, SearchMode::Deep, target->disk,
                                                progress, prompter, stop);
        } else {
            DriveProgress progress(terminal);
            finds =
                searchDriveForVolumes(session, session.driveTree, target->letter, progress, prompter, stop);
        }
    }
    terminal.finish();
    if (!finds) {
        streams.err << "salvora: " << finds.error().message << "\n";
        return kExitFailure;
    }
    if (stop)
        streams.err << "salvora: stopped; showing what was found so far\n";
    printFinds(*finds, prompter.messages, options.json, streams.out);
    return kExitOk;
}

} // namespace salvora::cli
