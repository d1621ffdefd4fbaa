// SPDX-License-Identifier: GPL-3.0-or-later
// Where the test images are: the ones our fixture scripts build into the build tree, and the public
// third-party images beside the project (absent in a user's clone: tests that need them skip).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace salvora::test {

// Path of an image built by tests/fixtures/<script> into the build tree, e.g.
// fixturePath("partitions/gpt.img").
std::string fixturePath(const std::string& relative);

// Path of a file of ../shared/testdata, decompressed into a temporary folder when it ends in .gz;
// nullopt when the folder is absent.
std::optional<std::string> sharedTestdata(const std::string& relative);

// A file's whole content; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

// Regular files below root, by their path relative to root in lower case (8.3 names come back from a FAT
// volume in upper case), mapped to their full path.
std::map<std::string, std::filesystem::path> filesBelowIgnoringCase(const std::filesystem::path& root);

// SHA-256 of a file's whole content, as hex; empty when it cannot be read.
std::string sha256OfFile(const std::string& path);

// Runs a shell command and returns its exit status.
int runShell(const std::string& command);

// A fresh empty folder below the system's temporary directory, removed when the process ends.
std::string makeTempDir();

} // namespace salvora::test
