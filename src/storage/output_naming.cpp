// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/output_naming.h"

#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

namespace salvora {
namespace {

bool pathExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

bool makeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

} // namespace

std::string MakeDuplicateName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (std::uint64_t n = 0;; ++n) {
        std::string candidate = folder + base + "_dd_" + std::to_string(n) + extension;
        if (!pathExists(candidate))
            return candidate;
    }
}

void CreateFolderPath(const std::string& path) {
    if (path.empty() || makeFolder(path))
        return;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        makeFolder(path.substr(0, slash));
    makeFolder(path);
}

std::string safeComponentName(std::string_view name) {
    if (name.empty())
        return "%00";
    if (name == ".")
        return "%2E";
    if (name == "..")
        return "%2E%2E";
    std::string safe;
    safe.reserve(name.size());
    for (char c : name) {
        if (c == '/')
            safe += "%2F";
        else if (c == '\0')
            safe += "%00";
        else
            safe += c;
    }
    return safe;
}

std::string fileNamePart(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace salvora
