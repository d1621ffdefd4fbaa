// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/open_found_file.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/size_text.h"
#include "base/text.h"
#include "save/listed_file_writer.h"
#include "storage/output_naming.h"

namespace salvora {
namespace {

bool endsWithAny(std::string_view text, std::initializer_list<std::string_view> endings) {
    for (std::string_view ending : endings)
        if (text.ends_with(ending))
            return true;
    return false;
}

// The extension after the last dot of the name, without the dot and trimmed; empty when there is none.
std::string extensionOf(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string{} : trim(fileName.substr(dot + 1));
}

std::string writeQuietly(SaveContext& context, const FileListRow& row, const std::string& temporaryFolder) {
    SaveState& state = context.state;
    CreateFolderPath(temporaryFolder);
    FileSaveRequest request;
    request.displayName = row.cells[file_list::Name];
    request.destinationPath =
        temporaryFolder + "/" +
        safeComponentName(temporaryCopyName(state.OpenFileCounter, row.cells[file_list::Name]));
    ++state.OpenFileCounter;

    state.QuietSave = true;
    std::error_code ignored;
    std::filesystem::remove(request.destinationPath, ignored);
    WriteListedFile(context, row, request);
    state.QuietSave = false;
    return request.destinationPath;
}

} // namespace

std::string openingFileText(std::uint64_t size) {
    return "Opening File : " + FormatSize(size);
}

std::string temporaryCopyName(int counter, const std::string& fileName) {
    const std::string extension = extensionOf(fileName);
    std::string name = "QFX" + std::to_string(counter);
    return extension.empty() ? name : name + "." + extension;
}

OpenFoundFileOutcome OpenFoundFile(SaveContext& context, const FileListRow& row,
                                   const std::string& temporaryFolder, DesktopOpener& opener) {
    OpenFoundFileOutcome outcome;
    const std::string type = trim(row.cells[file_list::Type]);
    if (type.empty())
        return outcome;
    if (endsWithAny(type, {"Folder", "FOLDER"})) {
        outcome.kind = OpenFoundFileOutcome::Kind::Folder;
        outcome.folderItem = static_cast<TreeItem>(listCellNumber(row.cells[file_list::Debug3]));
        return outcome;
    }
    if (!endsWithAny(type, {"file", "FILE", "File"}) || context.params.SPC == 0 || temporaryFolder.empty())
        return outcome;

    outcome.kind = OpenFoundFileOutcome::Kind::File;
    const std::string path = writeQuietly(context, row, temporaryFolder);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        context.prompter.inform(kOpenedFileMissing);
        return outcome;
    }
    outcome.copyPath = path;
    if (!opener.openWithDefaultApplication(path))
        opener.chooseApplication(path);
    return outcome;
}

} // namespace salvora
