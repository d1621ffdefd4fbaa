// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/carving_state.h"

#include "base/text.h"

namespace salvora {
namespace {

void addPhotoRows(const TypeList& list, std::vector<PhotoTypeRow>& table) {
    for (const FileType1& type : list.types) {
        std::string extension = type.extension.empty() ? std::string() : type.extension.substr(1);
        bool known = false;
        for (const PhotoTypeRow& row : table)
            known = known || toUpperAscii(row.extension) == toUpperAscii(extension);
        if (!known)
            table.push_back(PhotoTypeRow{extension, 0, extension});
    }
}

} // namespace

void fillPhotoTypeTable(CarvingState& state) {
    state.PhotoTypeTable.clear();
    addPhotoRows(state.GeneralTypeList, state.PhotoTypeTable);
    addPhotoRows(state.AdvanceTypeList, state.PhotoTypeTable);
}

bool fillTypeResultsTable(CarvingState& state) {
    state.TypeResultsTable.clear();
    for (const TypeChooserRow& row : state.typeChooser.rows) {
        if (!row.checked)
            continue;
        TypeResultRow result;
        result.fileTypes = toUpperAscii(row.extension);
        result.folderName = row.extension;
        state.TypeResultsTable.push_back(std::move(result));
    }
    return !state.TypeResultsTable.empty();
}

TypeResultRow* findTypeResult(CarvingState& state, std::string_view fileTypes) {
    for (TypeResultRow& row : state.TypeResultsTable)
        if (row.fileTypes == fileTypes)
            return &row;
    return nullptr;
}

} // namespace salvora
