// SPDX-License-Identifier: GPL-3.0-or-later
// salvora: the command-line front end to the recovery engines. The only file that includes CLI11.
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/attached_media.h"
#include "app/session.h"
#include "cli/commands.h"
#include "storage/volume_space.h"

namespace {

constexpr const char* kTargetHelp = R"(Targets:
  diskN      physical disk N as a whole (disk0, disk1, ...)
  diskN:P    partition P of disk N, numbered as in "Partition - P" of 'salvora list'
  L:         the logical drive with letter L (D:, E:, ...)
  L:Rn       the volume found inside drive L: as "Recognised n" (see find-partitions)

Media:
  Memory cards, card readers and USB sticks that report removable media are found by
  themselves (SD cards on mmcblk too); fixed disks, and USB hard disks that report fixed
  media, are never listed. Reading a device needs read permission on it (root, or the
  group that owns /dev/sdX).
  --image FILE         attach a whole-disk image (a card or stick image made with dd) as a
                       removable physical disk; its partitions also appear as logical drives
  --volume-image FILE  attach the image of one volume as a removable logical drive
  Both may be repeated and may stand before or after the command name.
  Disk numbers: attached disk images come first, Disk0, Disk1, ... in the order given;
  then the system's disks in name order (sda, sdb, ..., mmcblk0, ...). A disk that is
  not listed (fixed media, a card-reader slot without a card) still uses up its number,
  so a card keeps its number while other slots change. At most 25 disks are examined.
  Drive letters go from D: upward, first to the volumes of the listed disks in disk
  order, then to the volume images. Images and devices are only ever read.

Examples:
  salvora --image card.img list
  salvora --image card.img params disk0:1
  salvora params E: --volume-image sdcard-partition.img --json
  salvora --no-devices --image card.img list --mode photo)";

constexpr const char* kFindPartitionsHelp =
    R"(A disk (diskN) is searched cylinder by cylinder, as a disk laid out in 255 heads by 63
sectors: the first sector of head 1 and of head 0 of every cylinder is read, and every FAT16,
FAT32 or NTFS boot sector found there that is not listed yet becomes a new partition of the
disk, numbered after its listed ones. A partition that starts elsewhere is not found. When
the disk is left without any partition, the whole disk is offered as partition 1.
A logical drive (L:) is searched sector by sector for NTFS and FAT16 volumes inside it; each
new one becomes a "Recognised" node under the drive.
Each find is printed with its label, file system, first sector and end sector (the first
sector after it), and the target that selects it: disk0:2, or E:R1 for the first volume
found inside drive E: (a command given E:R1 searches the drive itself). The commands that
take a target (params, basic, ...) list disks as the Basic and Deep Search windows do, which
search disks without any partition by themselves, so a card whose partition table was
wiped is reached as disk0:1, disk0:2, ... there too. Partitions found on a disk that still
has partitions are known to this command's run only.
Ctrl+C stops the search between two finds and prints what was found.)";

// What every command that ends with a folder tree offers: print it, list a folder, JSON, save, open.
void addFoundItemsOptions(CLI::App* command, salvora::cli::FoundItemsOptions& options,
                          std::vector<std::string>& saveArguments) {
    command
        ->add_option("--ls", options.listPath,
                     "List the files of one folder (\"/\" is Root), as the file list shows them")
        ->type_name("PATH");
    command->add_flag("--json", options.json, "Print every folder (path, deleted) as JSON for scripts");
    command->add_flag("--files", options.files, "With --json: also every file of every folder");
    command
        ->add_option("--save", saveArguments,
                     "Save into DIR everything found, or only the folders and files named after it "
                     "(paths as the tree shows them, e.g. /DCIM/100PHOTO)")
        ->type_name("DIR [PATH...]")
        ->expected(1, -1);
    command
        ->add_option("--on-conflict", options.onConflict,
                     "When a saved file already exists: ask (on the terminal), overwrite, skip or rename")
        ->check(CLI::IsMember({"ask", "overwrite", "skip", "rename"}));
    command
        ->add_option("--open", options.openPath,
                     "Copy one file (e.g. /DCIM/IMG_0001.JPG) into a private temporary folder and open it "
                     "with the desktop's application for its type")
        ->type_name("FILE");
}

// --save DIR [PATH...]: the destination, then the paths to save.
void takeSaveArguments(const std::vector<std::string>& saveArguments,
                       salvora::cli::FoundItemsOptions& options) {
    if (saveArguments.empty())
        return;
    options.saveDestination = saveArguments.front();
    options.savePaths.assign(saveArguments.begin() + 1, saveArguments.end());
}

salvora::SearchMode parseMode(const std::string& name) {
    using salvora::SearchMode;
    if (name == "deep")
        return SearchMode::Deep;
    if (name == "photo")
        return SearchMode::Photo;
    if (name == "video")
        return SearchMode::Video;
    if (name == "signature")
        return SearchMode::Signature;
    return SearchMode::Basic;
}

} // namespace

int main(int argc, char** argv) {
    using namespace salvora;
    CLI::App app{"salvora - recover files and folders from memory cards and USB storage", "salvora"};
    app.footer(kTargetHelp);
    app.require_subcommand(1);

    std::vector<std::string> diskImages;
    std::vector<std::string> volumeImages;
    app.add_option("--image", diskImages, "Attach a whole-disk image as a removable physical disk")
        ->type_name("FILE")
        ->take_all();
    app.add_option("--volume-image", volumeImages, "Attach a volume image as a removable logical drive")
        ->type_name("FILE")
        ->take_all();
    std::string imageBus = "UNKNOWN";
    app.add_option("--image-bus", imageBus, "Bus type that attached disk images report (default UNKNOWN)")
        ->type_name("NAME");
    bool noDevices = false;
    app.add_flag("--no-devices", noDevices, "Do not look for removable devices; use attached images only");
    std::string systemRoot;
    app.add_option("--system-root", systemRoot,
                   "Look for devices below DIR (its sys/block, dev, run/udev and proc) instead of /")
        ->type_name("DIR");

    bool json = false;
    std::string mode = "basic";
    std::string target;

    CLI::App* list =
        app.add_subcommand("list", "List the disks with their partitions, and the logical drives");
    list->add_flag("--json", json, "Print JSON for scripts");
    list->add_option("--mode", mode, "List as this mode's window does (which disks count as partitionless)")
        ->check(CLI::IsMember({"basic", "deep", "photo", "video", "signature"}));
    list->fallthrough();

    CLI::App* params = app.add_subcommand("params", "Print the parameters of the volume at TARGET");
    params->add_option("target", target, "diskN, diskN:P or L:")->required();
    params->add_flag("--json", json, "Print JSON for scripts");
    params->fallthrough();

    cli::BasicOptions basicOptions;
    CLI::App* basic =
        app.add_subcommand("basic", "Run a Basic Search of the volume at TARGET and print its folder tree");
    basic->add_option("target", basicOptions.target, "diskN, diskN:P or L:")->required();
    std::vector<std::string> saveArguments;
    addFoundItemsOptions(basic, basicOptions, saveArguments);
    basic
        ->add_option("--save-log", basicOptions.saveLog,
                     "After the scan, write its recovery log (the index of what was found) to FILE, for "
                     "'salvora load-log'")
        ->type_name("FILE.SLV");
    basic->fallthrough();

    cli::LoadLogOptions loadLogOptions;
    std::vector<std::string> loadLogSaveArguments;
    CLI::App* loadLog = app.add_subcommand(
        "load-log",
        "Load the result of a Basic or Deep Search from its recovery log instead of scanning again");
    loadLog->add_option("log", loadLogOptions.logPath, "The recovery log (.SLV)")
        ->required()
        ->type_name("FILE");
    addFoundItemsOptions(loadLog, loadLogOptions, loadLogSaveArguments);
    bool answerYes = false;
    bool answerNo = false;
    CLI::Option* yes =
        loadLog->add_flag("--yes", answerYes,
                          "Follow the medium when it is attached under another drive letter or disk number");
    loadLog->add_flag("--no", answerNo, "Do not follow a medium that moved")->excludes(yes);
    loadLog->footer(
        "The medium the log was saved from must be attached as it was (the same --image or\n"
        "--volume-image, or the card in its reader). When it is found under another drive letter\n"
        "or disk number, the question is answered by --yes or --no, else on the terminal.");
    loadLog->fallthrough();

    cli::DeepOptions deepOptions;
    std::vector<std::string> deepSaveArguments;
    CLI::App* deep = app.add_subcommand(
        "deep", "Run a Deep Search of TARGET's sectors for FAT or NTFS structures and print its folder tree");
    deep->add_option("target", deepOptions.target, "diskN, diskN:P or L:")->required();
    deep->add_option("--fs", deepOptions.fileSystem, "The file system to search for: FAT16, FAT32 or NTFS")
        ->required()
        ->check(CLI::IsMember({"FAT16", "FAT32", "NTFS"}));
    deep->add_option("--range", deepOptions.range, "Sectors to scan (default: the whole target)")
        ->type_name("START-END");
    addFoundItemsOptions(deep, deepOptions, deepSaveArguments);
    deep->add_option("--save-log", deepOptions.saveLog,
                     "After the scan, write its recovery log (the index of what was found) to FILE, for "
                     "'salvora load-log'")
        ->type_name("FILE.SLV");
    deep->fallthrough();

    cli::CarveOptions carveOptions;
    const std::vector<std::string> readErrorAnswers{"ask", "cancel", "retry", "retry-all"};
    auto addCarveOptions = [&](CLI::App* command) {
        command->add_option("target", carveOptions.target, "diskN, diskN:P or L:");
        command->add_option("--out", carveOptions.out, "Folder in which the carved files are saved")
            ->type_name("DIR");
        command->add_option("--range", carveOptions.range, "Sectors to scan (default: the whole target)")
            ->type_name("START-END");
        command->add_flag("--no-thorough", carveOptions.noThorough,
                          "Skip the Thorough Scanning Algorithm pass (files under Omitted)");
        command
            ->add_option("--on-read-error", carveOptions.onReadError,
                         "When the medium cannot be read: ask (on a terminal), cancel, retry, or retry-all")
            ->check(CLI::IsMember(readErrorAnswers));
        command->fallthrough();
    };
    CLI::App* photo =
        app.add_subcommand("photo", "Photo Search: carve pictures out of TARGET into --out DIR");
    addCarveOptions(photo);
    CLI::App* signature =
        app.add_subcommand("signature", "Signature Search: carve files of the chosen types out of TARGET");
    addCarveOptions(signature);
    CLI::App* video =
        app.add_subcommand("video", "Video Search: carve videos of the chosen types out of TARGET");
    addCarveOptions(video);
    for (CLI::App* command : {signature, video}) {
        command->add_option("--types", carveOptions.types, "Types to carve, e.g. JPG,PNG (default: all)")
            ->type_name("EXT,...");
        command->add_flag("--list-types", carveOptions.listTypes, "Print the types that can be chosen");
    }

    cli::FindPartitionsOptions findOptions;
    CLI::App* findPartitions = app.add_subcommand(
        "find-partitions", "Search a disk or a logical drive for lost partitions and print what is found");
    findPartitions->add_option("target", findOptions.target, "diskN or L:")->required();
    findPartitions->add_flag("--json", findOptions.json, "Print JSON for scripts");
    findPartitions->footer(kFindPartitionsHelp);
    findPartitions->fallthrough();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }

    Session session;
    auto sources = attachImages(diskImages, volumeImages, imageBus);
    if (!sources) {
        std::cerr << "salvora: " << sources.error().message << "\n";
        return cli::kExitFailure;
    }
    session.sources = std::move(*sources);
    if (!noDevices)
        session.sources.system = SystemPaths{systemRoot};
    session.sources.computerName = ComputerName();

    cli::OutputStreams streams{std::cout, std::cerr};
    if (list->parsed())
        return cli::runList(session, json, parseMode(mode), streams);
    if (basic->parsed()) {
        takeSaveArguments(saveArguments, basicOptions);
        return cli::runBasic(session, basicOptions, streams);
    }
    if (loadLog->parsed()) {
        takeSaveArguments(loadLogSaveArguments, loadLogOptions);
        if (answerYes || answerNo)
            loadLogOptions.answer = answerYes;
        return cli::runLoadLog(session, loadLogOptions, streams);
    }
    if (findPartitions->parsed())
        return cli::runFindPartitions(session, findOptions, streams);
    if (deep->parsed()) {
        takeSaveArguments(deepSaveArguments, deepOptions);
        return cli::runDeep(session, deepOptions, streams);
    }
    if (photo->parsed())
        return cli::runCarve(session, CarveMode::Photo, carveOptions, streams);
    if (signature->parsed())
        return cli::runCarve(session, CarveMode::Signature, carveOptions, streams);
    if (video->parsed())
        return cli::runCarve(session, CarveMode::Video, carveOptions, streams);
    return cli::runParams(session, target, json, streams);
}
