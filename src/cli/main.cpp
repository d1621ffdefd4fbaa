// SPDX-License-Identifier: GPL-3.0-or-later
// salvora: the command-line front end to the recovery engines. The only file that includes CLI11.
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/attached_media.h"
#include "app/session.h"
#include "cli/commands.h"

namespace {

constexpr const char* kTargetHelp = R"(Targets:
  diskN      physical disk N as a whole (disk0, disk1, ...)
  diskN:P    partition P of disk N, numbered as in "Partition - P" of 'salvora list'
  L:         the logical drive with letter L (D:, E:, ...)

Media:
  --image FILE         attach a whole-disk image (a card or stick image made with dd) as a
                       removable physical disk; its partitions also appear as logical drives
  --volume-image FILE  attach the image of one volume as a removable logical drive
  Both may be repeated and may stand before or after the command name. Disk images are
  numbered from Disk0 in the order given; drive letters go from D: upward, first to the
  volumes of the disks, then to the volume images. Images and devices are only ever read.

Examples:
  salvora --image card.img list
  salvora --image card.img params disk0:1
  salvora params E: --volume-image sdcard-partition.img --json)";

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

    bool json = false;
    std::string target;

    CLI::App* list = app.add_subcommand("list", "List the disks with their partitions, and the logical drives");
    list->add_flag("--json", json, "Print JSON for scripts");
    list->fallthrough();

    CLI::App* params = app.add_subcommand("params", "Print the parameters of the volume at TARGET");
    params->add_option("target", target, "diskN, diskN:P or L:")->required();
    params->add_flag("--json", json, "Print JSON for scripts");
    params->fallthrough();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }

    Session session;
    auto attached = attachImages(session.devices, diskImages, volumeImages);
    if (!attached) {
        std::cerr << "salvora: " << attached.error().message << "\n";
        return cli::kExitFailure;
    }
    session.attached = std::move(*attached);

    cli::OutputStreams streams{std::cout, std::cerr};
    if (list->parsed())
        return cli::runList(session, json, streams);
    return cli::runParams(session, target, json, streams);
}
