// SPDX-License-Identifier: GPL-3.0-or-later
// salvora params TARGET: the volume parameters of a partition, drive or whole disk.
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/targets.h"
#include "cli/command_target.h"
#include "cli/commands.h"
#include "volumes/volume_parameters.h"

namespace salvora::cli {
namespace {

nlohmann::ordered_json paramsJson(const Target& target, const SelectedVolume& selection,
                                  const VolumeParameters& p) {
    nlohmann::ordered_json json = {{"target", targetText(target)},       {"devicePath", selection.devicePath},
                                   {"fileSystem", selection.fileSystem}, {"startSector", selection.start},
                                   {"endSector", selection.end},         {"SPC", p.SPC},
                                   {"Cluster0Start", p.Cluster0Start}};
    if (selection.fileSystem == "NTFS") {
        json.update({{"MftStartSector", p.MftStartSector},
                     {"MftMirrorSector", p.MftMirrorSector},
                     {"SectorsPerMftRecord", p.SectorsPerMftRecord},
                     {"SectorsPerIndexRecord", p.SectorsPerIndexRecord}});
    } else {
        json.update({{"SPF", p.SPF},
                     {"RootSec", p.RootSec},
                     {"RootStartSec", p.RootStartSec},
                     {"ReserveSecStart", p.ReserveSecStart},
                     {"firstFAT", p.firstFAT},
                     {"secondFAT", p.secondFAT}});
    }
    return json;
}

void printText(const nlohmann::ordered_json& json, std::ostream& out) {
    for (const auto& [key, value] : json.items()) {
        std::string text = value.is_string() ? value.get<std::string>() : value.dump();
        out << key << std::string(key.size() < 22 ? 22 - key.size() : 1, ' ') << text << "\n";
    }
}

} // namespace

int runParams(Session& session, const std::string& targetArgument, bool json, OutputStreams streams) {
    auto chosen = selectCommandTarget(session, targetArgument, SearchMode::Basic, streams.err);
    if (const int* exitCode = std::get_if<int>(&chosen))
        return *exitCode;
    const auto& [target, selection] = std::get<CommandTarget>(chosen);
    if (selection.fileSystem == "Unknown") {
        streams.err << "salvora: " << targetText(target)
                    << " holds no FAT16, FAT32 or NTFS volume that can be recognised\n";
        return kExitFailure;
    }
    if (!ComputeVolumeParameters(session.volumes, session.devices)) {
        streams.err << "salvora: unable to calculate the " << selection.fileSystem << " parameters of "
                    << targetText(target) << ": its boot sector and backup are damaged or missing\n";
        return kExitFailure;
    }
    nlohmann::ordered_json result = paramsJson(target, selection, session.volumes.volumeParameters);
    if (json)
        streams.out << result.dump(2) << "\n";
    else
        printText(result, streams.out);
    return kExitOk;
}

} // namespace salvora::cli
