// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/scan_tables.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "base/text.h"

namespace salvora {
namespace {

const std::string kEmptyCell;

std::vector<std::string> volumeParamColumns(bool withEndSector) {
    std::vector<std::string> columns = {"Sector",          "SPF",           "SPC",      "Root Sectors",
                                        "Root Start",      "Reserve Sectors", "Cluster0Start", "firstFAT",
                                        "secondFAT",       "TotalSectors",  "PartType"};
    if (withEndSector)
        columns.push_back("End Sector");
    return columns;
}

} // namespace

TextTable::TextTable(std::vector<std::string> headers) : m_headers(std::move(headers)) {
    if (m_headers.empty())
        m_headers.emplace_back();
}

std::size_t TextTable::appendRow() {
    m_cells.resize(m_cells.size() + columnCount());
    return rowCount() - 1;
}

std::size_t TextTable::appendRow(std::initializer_list<std::string_view> cells) {
    std::size_t row = appendRow();
    std::size_t column = 0;
    for (std::string_view text : cells)
        setCell(row, column++, std::string(text));
    return row;
}

std::size_t TextTable::appendRow(const std::vector<std::string>& cells) {
    std::size_t row = appendRow();
    for (std::size_t column = 0; column < cells.size(); ++column)
        setCell(row, column, cells[column]);
    return row;
}

void TextTable::setCell(std::size_t row, std::size_t column, std::string text) {
    if (row < rowCount() && column < columnCount())
        m_cells[row * columnCount() + column] = std::move(text);
}

const std::string& TextTable::cell(std::size_t row, std::size_t column) const {
    if (row < rowCount() && column < columnCount())
        return m_cells[row * columnCount() + column];
    return kEmptyCell;
}

void TextTable::deleteRow(std::size_t row) {
    if (row >= rowCount())
        return;
    auto first = m_cells.begin() + static_cast<std::ptrdiff_t>(row * columnCount());
    m_cells.erase(first, first + static_cast<std::ptrdiff_t>(columnCount()));
}

void TextTable::sortByColumn(std::size_t column) {
    if (column >= columnCount())
        return;
    const std::size_t rows = rowCount();
    std::vector<std::int32_t> keys(rows);
    for (std::size_t r = 0; r < rows; ++r)
        keys[r] = decimalPrefixToInt32(cell(r, column));
    std::vector<std::size_t> order(rows);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::string> sorted;
    sorted.reserve(m_cells.size());
    for (std::size_t r : order)
        for (std::size_t c = 0; c < columnCount(); ++c)
            sorted.push_back(std::move(m_cells[r * columnCount() + c]));
    m_cells = std::move(sorted);
}

ScanTables::ScanTables()
    : FoundFolderTable({"Name", "sector", "self", "parent", "date", "time", "size", "attr", "sysID", "Type",
                        "Deleted", "Cluster0Start"}),
      NtfsItemTable({"Sector", "name", "size", "date", "time", "type"}), TreeLinkTable({"Self_Clu", "TreeItem"}),
      DirectoryTable({"Sector", "Self Cluster", "Parent Cluster", "File System", "Date", "Time", "First Run",
                      "Cluster0Start"}),
      VolumeParamTableFound(volumeParamColumns(false)), VolumeParamTable(volumeParamColumns(true)),
      DriveTable({"Drive", "Part", "St_Sec", "End_Sec", "Clus0", "Drive_E_Sec"}) {}

void ScanTables::clearAll() {
    for (TextTable* table : {&FoundFolderTable, &NtfsItemTable, &TreeLinkTable, &DirectoryTable,
                             &VolumeParamTableFound, &VolumeParamTable, &DriveTable})
        table->clear();
}

} // namespace salvora
