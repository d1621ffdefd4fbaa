// SPDX-License-Identifier: GPL-3.0-or-later
// The lists the carving engine searches: a type list in data-file order with its offset list (the distinct
// signature positions, in order of first appearance), the type chooser of Signature and Video Search, and
// the loaders that fill them from a data file's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "carving/signature_records.h"

namespace salvora {

struct TypeList {
    std::vector<FileType1> types;
    std::vector<std::int32_t> offsets;

    // Appends the type, and its offset when the offset list does not hold it yet.
    void append(FileType1 type);
    void clear() {
        types.clear();
        offsets.clear();
    }
    bool empty() const { return types.empty(); }
};

// The position of the next type after `after` (from the head when none) that equals the key (offset, first
// byte), or nullopt.
std::optional<std::size_t> findNextType(const std::vector<FileType1>& types, std::int32_t offset,
                                        std::int32_t firstByte,
                                        std::optional<std::size_t> after = std::nullopt);

struct TypeChooserRow {
    std::string extension; // bare, upper case
    std::string description;
    bool checked = true;
};

struct TypeChooser {
    std::vector<TypeChooserRow> rows;

    // The row whose extension equals the text, case ignored.
    const TypeChooserRow* find(std::string_view extension) const;
    TypeChooserRow* find(std::string_view extension);
    void checkAll(bool checked);
};

// Appends every record of the text to the list (extension as written).
void LoadTypeList(std::string_view dataFileText, TypeList& list);

// Appends a chooser row for every bare extension of the text not yet listed (case ignored), with the first
// such record's description, checked.
void FillTypeChooser(std::string_view dataFileText, TypeChooser& chooser);

// Appends to the list the records whose bare extension is checked in the chooser; extensions are upper-cased.
void LoadCheckedTypes(std::string_view dataFileText, const TypeChooser& chooser, TypeList& list);

} // namespace salvora
