// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing the product does may change the medium: every command runs over images whose hashes are taken
// before and after.
#include <gtest/gtest.h>

#include <filesystem>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace {

TEST(ReadOnly, NoCommandChangesTheImagesItReads) {
    const std::string disk = fixturePath("partitions/mbr-extended.img");
    const std::string volume = fixturePath("partitions/ntfs-volume.img");
    const std::vector<std::string> media = {"--image", disk, "--volume-image", volume};
    const std::vector<std::vector<std::string>> commands = {
        {"list"}, {"list", "--json"}, {"params", "disk0"}, {"params", "disk0:1"},
        {"params", "disk0:2"}, {"params", "disk0:3", "--json"}, {"params", "E:"}, {"params", "G:"},
    };
    const std::string diskHash = sha256OfFile(disk);
    const std::string volumeHash = sha256OfFile(volume);
    const auto diskTime = std::filesystem::last_write_time(disk);
    ASSERT_FALSE(diskHash.empty());
    for (const auto& command : commands) {
        std::vector<std::string> arguments = media;
        arguments.insert(arguments.end(), command.begin(), command.end());
        CliRun run = runSalvora(arguments);
        EXPECT_FALSE(run.crashed) << command[0];
    }
    EXPECT_EQ(sha256OfFile(disk), diskHash);
    EXPECT_EQ(sha256OfFile(volume), volumeHash);
    EXPECT_EQ(std::filesystem::last_write_time(disk), diskTime);
}

} // namespace
} // namespace salvora::test
