// SPDX-License-Identifier: GPL-3.0-or-later
// Where the six signature data files live (beside the executable) and how they are read. A data file that
// cannot be opened is fatal for the product: the front end shows the message and ends with status 0.
#pragma once

#include <string>
#include <string_view>

#include "base/result.h"
#include "carving/type_lists.h"

namespace salvora {

// Photo Search: primary and thorough pass.
inline constexpr std::string_view kPhotoDataFile = "SLVDATExt2.dll";
inline constexpr std::string_view kPhotoThoroughDataFile = "SLVDATExt2Adv.dll";
// Signature Search.
inline constexpr std::string_view kSignatureDataFile = "SLVDATSig.dll";
inline constexpr std::string_view kSignatureThoroughDataFile = "SLVDATSigAdv.dll";
// Video Search.
inline constexpr std::string_view kVideoDataFile = "SLVDATVideo.dll";
inline constexpr std::string_view kVideoThoroughDataFile = "SLVDATVideoAdv.dll";

// Data files larger than this are read only this far.
inline constexpr std::size_t kMaxDataFileSize = 16u << 20;

// The folder of the running executable (from /proc/self/exe); "." when it cannot be told.
std::string executableDirectory();

// directory + "/" + name.
std::string dataFilePath(std::string_view directory, std::string_view name);

// The whole text of a data file, or an error whose message is the fatal text to show:
// "Couldn't open source file: " and the reason ("<path> was not found." for a missing file).
Result<std::string> readSignatureDataFile(std::string_view directory, std::string_view name);

// Opens the Photo and Signature files in turn, as the product does at start-up (the Video files are read
// only when Video Search needs them). The first failure's fatal message, or an empty text when all open.
std::string CheckSignatureFiles(std::string_view directory);

// Reads a data file and appends its records to the list; the fatal message on failure.
Result<bool> LoadTypeListFile(std::string_view directory, std::string_view name, TypeList& list);

} // namespace salvora
