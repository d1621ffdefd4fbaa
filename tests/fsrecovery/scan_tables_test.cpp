// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/scan_tables.h"

#include <gtest/gtest.h>

namespace salvora {
namespace {

std::vector<std::string> column(const TextTable& table, std::size_t c) {
    std::vector<std::string> cells;
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        cells.push_back(table.cell(r, c));
    return cells;
}

TEST(ScanTables, HaveTheirColumnsInOrder) {
    ScanTables tables;
    EXPECT_EQ(tables.FoundFolderTable.headers(),
              (std::vector<std::string>{"Name", "sector", "self", "parent", "date", "time", "size", "attr", "sysID",
                                        "Type", "Deleted", "Cluster0Start"}));
    EXPECT_EQ(tables.NtfsItemTable.headers(),
              (std::vector<std::string>{"Sector", "name", "size", "date", "time", "type"}));
    EXPECT_EQ(tables.TreeLinkTable.headers(), (std::vector<std::string>{"Self_Clu", "TreeItem"}));
    EXPECT_EQ(tables.DirectoryTable.headers(),
              (std::vector<std::string>{"Sector", "Self Cluster", "Parent Cluster", "File System", "Date", "Time",
                                        "First Run", "Cluster0Start"}));
    EXPECT_EQ(tables.VolumeParamTableFound.columnCount(), 11u);
    EXPECT_EQ(tables.VolumeParamTable.columnCount(), 12u);
    EXPECT_EQ(tables.VolumeParamTable.headers().back(), "End Sector");
    EXPECT_EQ(tables.VolumeParamTable.headers()[10], "PartType");
    EXPECT_EQ(tables.DriveTable.headers(),
              (std::vector<std::string>{"Drive", "Part", "St_Sec", "End_Sec", "Clus0", "Drive_E_Sec"}));
}

TEST(ScanTables, StartingAModeEmptiesAllSeven) {
    ScanTables tables;
    for (TextTable* t : {&tables.FoundFolderTable, &tables.NtfsItemTable, &tables.TreeLinkTable,
                         &tables.DirectoryTable, &tables.VolumeParamTableFound, &tables.VolumeParamTable,
                         &tables.DriveTable})
        t->appendRow({"1", "2"});
    tables.clearAll();
    for (const TextTable* t : {&tables.FoundFolderTable, &tables.NtfsItemTable, &tables.TreeLinkTable,
                               &tables.DirectoryTable, &tables.VolumeParamTableFound, &tables.VolumeParamTable,
                               &tables.DriveTable}) {
        EXPECT_EQ(t->rowCount(), 0u);
        EXPECT_FALSE(t->headers().empty());
    }
}

TEST(TextTable, CellsAreTextAndEmptyDiffersFromZero) {
    TextTable table({"a", "b", "c"});
    std::size_t row = table.appendRow({"0", "", "x"});
    EXPECT_EQ(row, 0u);
    EXPECT_EQ(table.cell(0, 0), "0");
    EXPECT_EQ(table.cell(0, 1), "");
    table.setCell(0, 1, "7");
    EXPECT_EQ(table.cell(0, 1), "7");
    // Cells outside the table read empty and ignore writes.
    table.setCell(5, 0, "lost");
    table.setCell(0, 9, "lost");
    EXPECT_EQ(table.cell(5, 0), "");
    EXPECT_EQ(table.cell(0, 9), "");
    EXPECT_EQ(table.rowCount(), 1u);
}

TEST(TextTable, DeletingARowMovesLaterRowsUp) {
    TextTable table({"n"});
    for (const char* n : {"a", "b", "c"})
        table.appendRow({n});
    table.deleteRow(1);
    table.deleteRow(10);
    EXPECT_EQ(column(table, 0), (std::vector<std::string>{"a", "c"}));
}

TEST(TextTable, SortsNumericallyByLeadingDigitsWithTheClamp) {
    TextTable table({"key", "tag"});
    for (auto [key, tag] : std::initializer_list<std::pair<const char*, const char*>>{
             {"10", "ten"}, {"9", "nine"}, {"4294967295", "max-unsigned"}, {"2147483646", "below-max"},
             {"12abc", "twelve"}, {"", "empty"}, {"-3", "minus"}})
        table.appendRow({key, tag});
    table.sortByColumn(0);
    EXPECT_EQ(column(table, 1), (std::vector<std::string>{"minus", "empty", "nine", "ten", "twelve", "below-max",
                                                          "max-unsigned"}));
    // 4294967295 counts as the largest signed 32-bit value, equal to a cell holding that value.
    table.appendRow({"2147483647", "max-signed"});
    table.sortByColumn(0);
    EXPECT_EQ(table.cell(5, 1), "below-max");
    EXPECT_EQ(table.cell(6, 1), "max-unsigned");
    EXPECT_EQ(table.cell(7, 1), "max-signed");
}

} // namespace
} // namespace salvora
