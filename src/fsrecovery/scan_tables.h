// SPDX-License-Identifier: GPL-3.0-or-later
// The scan tables: ordered rows of text cells in which the scans keep their intermediate results and from
// which the tree building, the listings, the save engine and the recovery log read them back. Numbers are
// stored as decimal text; an empty cell and "0" are different values. Columns are addressed by position.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace salvora {

class TextTable {
public:
    explicit TextTable(std::vector<std::string> headers);

    const std::vector<std::string>& headers() const { return m_headers; }
    std::size_t columnCount() const { return m_headers.size(); }
    std::size_t rowCount() const { return m_cells.size() / m_headers.size(); }
    bool empty() const { return m_cells.empty(); }

    // Appends a row of empty cells, or of the given cells (missing ones empty, extra ones dropped), and
    // returns its index.
    std::size_t appendRow();
    std::size_t appendRow(std::initializer_list<std::string_view> cells);
    std::size_t appendRow(const std::vector<std::string>& cells);

    // Out-of-range cells read as empty and ignore writes, so a damaged index can never read past the table.
    void setCell(std::size_t row, std::size_t column, std::string text);
    const std::string& cell(std::size_t row, std::size_t column) const;

    // Later rows move up by one.
    void deleteRow(std::size_t row);
    void clear() { m_cells.clear(); }

    // Orders the rows ascending by the column's cells read as signed 32-bit numbers (leading digits only,
    // clamped to the 32-bit range: 4294967295 sorts as 2147483647). Rows with equal keys keep their order.
    void sortByColumn(std::size_t column);

private:
    std::vector<std::string> m_headers;
    std::vector<std::string> m_cells; // row-major, columnCount() cells per row
};

// The seven tables, created empty with their columns and emptied together when a mode starts.
struct ScanTables {
    ScanTables();
    TextTable FoundFolderTable;
    TextTable NtfsItemTable;
    TextTable TreeLinkTable;
    TextTable DirectoryTable;
    TextTable VolumeParamTableFound;
    TextTable VolumeParamTable;
    TextTable DriveTable;

    void clearAll();
};

} // namespace salvora
