// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/output_layout.h"

#include "storage/output_naming.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace salvora {
namespace {

bool pathExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

} // namespace

std::string_view carveModeWord(CarveMode mode) {
    switch (mode) {
    case CarveMode::Photo:
        return "Photo";
    case CarveMode::Signature:
        return "Signature";
    case CarveMode::Video:
        return "Video";
    }
    return "Photo";
}

std::string NumberedFileName(std::string_view prefix, std::string_view extension, std::string_view suffix,
                             std::uint64_t number) {
    if (!extension.empty() && extension.front() == '.')
        extension.remove_prefix(1);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%05llu", static_cast<unsigned long long>(number));
    std::string name(prefix);
    name += digits;
    name += suffix;
    name += '.';
    name += extension;
    return name;
}

std::string modeOutputFolder(std::string_view destination, CarveMode mode) {
    return joinPath(joinPath(destination, "Quillwort Salvora"), std::string(carveModeWord(mode)) + " Search");
}

std::string typeOutputFolder(std::string_view destination, CarveMode mode, bool thoroughPass,
                             std::string_view typeFolder) {
    std::string passFolder =
        joinPath(modeOutputFolder(destination, mode), thoroughPass ? "Omitted" : "General");
    return joinPath(passFolder, safeComponentName(typeFolder));
}

std::string resultsFolderNotice(CarveMode mode) {
    std::string word(carveModeWord(mode));
    return "The results of Primary Scanning are saved in folder: Quillwort Salvora >> " + word +
           " Search >> General, in selected location by user and (if selected) Thorough Scanning results are "
           "saved in folder: Quillwort Salvora >> " +
           word + " Search >> Omitted, in the same path.";
}

std::string firstFreeCarvedPath(const std::string& path) {
    return pathExists(path) ? MakeDuplicateName(path) : path;
}

bool createCarvedFolders(const std::string& path) {
    if (path.empty())
        return false;
    CreateFolderPath(path);
    return isFolder(path);
}

} // namespace salvora
