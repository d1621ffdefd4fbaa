// SPDX-License-Identifier: GPL-3.0-or-later
// Where carved files go and what they are called:
//   <destination>/Quillwort Salvora/<Photo|Signature|Video> Search/<General|Omitted>/<type folder>/<name>
// General holds the files of the primary pass, Omitted those of the thorough pass.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace salvora {

enum class CarveMode { Photo, Signature, Video };

// "Photo", "Signature", "Video": the mode word of texts and folders.
std::string_view carveModeWord(CarveMode mode);

// prefix + number padded to five digits + suffix + "." + extension (a leading dot of the extension dropped):
// ("GNDR", ".jpg", "", 1) -> "GNDR00001.jpg", ("JPG", "JPG", "", 123456) -> "JPG123456.JPG".
std::string NumberedFileName(std::string_view prefix, std::string_view extension, std::string_view suffix,
                             std::uint64_t number);

// <destination>/Quillwort Salvora/<mode> Search
std::string modeOutputFolder(std::string_view destination, CarveMode mode);
// The folder of one type in one pass: modeOutputFolder/<General|Omitted>/<type folder>. The type folder is
// made safe as one path component, so a data file cannot send files outside the destination.
std::string typeOutputFolder(std::string_view destination, CarveMode mode, bool thoroughPass,
                             std::string_view typeFolder);

// The notice of where results go, with the mode word.
std::string resultsFolderNotice(CarveMode mode);

// The path itself when nothing exists there, else the first free "_dd_N" variant of it
// (GNDR00001.jpg -> GNDR00001_dd_0.jpg, N counting from 0): names restart with every scan, so a second scan
// into the same destination keeps the files of the first.
std::string firstFreeCarvedPath(const std::string& path);

// Creates the folder and every missing folder above it; false when it does not exist afterwards.
bool createCarvedFolders(const std::string& path);

} // namespace salvora
