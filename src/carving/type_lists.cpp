// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/type_lists.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

namespace salvora {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && toUpperAscii(a) == toUpperAscii(b);
}

std::string bareExtension(std::string_view extension) {
    return extension.empty() ? std::string() : std::string(extension.substr(1));
}

} // namespace

void TypeList::append(FileType1 type) {
    if (std::find(offsets.begin(), offsets.end(), type.offset) == offsets.end())
        offsets.push_back(type.offset);
    types.push_back(std::move(type));
}

std::optional<std::size_t> findNextType(const std::vector<FileType1>& types, std::int32_t offset,
                                        std::int32_t firstByte, std::optional<std::size_t> after) {
    for (std::size_t i = after ? *after + 1 : 0; i < types.size(); ++i)
        if (types[i].offset == offset && types[i].firstByte == firstByte)
            return i;
    return std::nullopt;
}

const TypeChooserRow* TypeChooser::find(std::string_view extension) const {
    for (const TypeChooserRow& row : rows)
        if (equalsIgnoringCase(row.extension, extension))
            return &row;
    return nullptr;
}

TypeChooserRow* TypeChooser::find(std::string_view extension) {
    return const_cast<TypeChooserRow*>(std::as_const(*this).find(extension));
}

void TypeChooser::checkAll(bool checked) {
    for (TypeChooserRow& row : rows)
        row.checked = checked;
}

void LoadTypeList(std::string_view dataFileText, TypeList& list) {
    DataFileLines lines(dataFileText);
    while (auto record = readRawRecord(lines))
        list.append(makeFileType(*record));
}

void FillTypeChooser(std::string_view dataFileText, TypeChooser& chooser) {
    DataFileLines lines(dataFileText);
    while (auto record = readRawRecord(lines)) {
        std::string extension = chooserExtension(record->lines[0]);
        if (chooser.find(extension))
            continue;
        chooser.rows.push_back(
            TypeChooserRow{toUpperAscii(extension), ReadRecordValue(record->lines[5]), true});
    }
}

void LoadCheckedTypes(std::string_view dataFileText, const TypeChooser& chooser, TypeList& list) {
    DataFileLines lines(dataFileText);
    while (auto record = readRawRecord(lines)) {
        std::string firstLine = toUpperAscii(record->lines[0]);
        const TypeChooserRow* row = chooser.find(bareExtension(ReadRecordValue(firstLine)));
        if (!row || !row->checked)
            continue;
        RawRecord upper = *record;
        upper.lines[0] = firstLine;
        list.append(makeFileType(upper));
    }
}

} // namespace salvora
