// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixtures.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace salvora::test {
namespace {

std::string captureShell(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return {};
    std::string output;
    std::array<char, 256> chunk{};
    while (fgets(chunk.data(), static_cast<int>(chunk.size()), pipe.get()))
        output += chunk.data();
    return output;
}

std::string quote(const std::string& path) {
    return "'" + path + "'";
}

} // namespace

std::string fixturePath(const std::string& relative) {
    return std::string(SALVORA_FIXTURE_DIR) + "/" + relative;
}

std::optional<std::string> sharedTestdata(const std::string& relative) {
    std::filesystem::path source = std::filesystem::path(SALVORA_SHARED_TESTDATA) / relative;
    if (!std::filesystem::exists(source))
        return std::nullopt;
    if (source.extension() != ".gz")
        return source.string();
    std::filesystem::path target = std::filesystem::path(makeTempDir()) / source.stem();
    if (runShell("gzip -dc " + quote(source.string()) + " > " + quote(target.string())) != 0)
        return std::nullopt;
    return target.string();
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::string, std::filesystem::path> filesBelowIgnoringCase(const std::filesystem::path& root) {
    std::map<std::string, std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::string relative = std::filesystem::relative(entry.path(), root).string();
        for (char& c : relative)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        files[relative] = entry.path();
    }
    return files;
}

std::string sha256OfFile(const std::string& path) {
    std::string output = captureShell("sha256sum " + quote(path) + " 2>/dev/null");
    return output.size() >= 64 ? output.substr(0, 64) : std::string();
}

int runShell(const std::string& command) {
    return std::system(command.c_str());
}

std::string makeTempDir() {
    struct TempRoot {
        std::filesystem::path path;
        TempRoot() {
            std::string pattern = (std::filesystem::temp_directory_path() / "salvora-test-XXXXXX").string();
            path = mkdtemp(pattern.data()) ? std::filesystem::path(pattern)
                                           : std::filesystem::temp_directory_path();
        }
        ~TempRoot() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static TempRoot root;
    static int counter = 0;
    std::filesystem::path dir = root.path / std::to_string(++counter);
    std::filesystem::create_directories(dir);
    return dir.string();
}

} // namespace salvora::test
