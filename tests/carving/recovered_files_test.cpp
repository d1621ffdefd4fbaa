// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "carving/recovered_files.h"

namespace salvora {
namespace {

RecoveredFile primaryFile(int n) {
    return {"JPG" + std::to_string(n) + ".JPG", "/d/Quillwort Salvora/Signature Search/General/JPG/JPG.JPG"};
}
RecoveredFile thoroughFile(int n) {
    return {"PNG" + std::to_string(n) + ".PNG", "/d/Quillwort Salvora/Signature Search/Omitted/PNG/PNG.PNG"};
}

// As the engine calls it: the primary count goes up before the file is listed.
void addPrimary(RecoveredFilesList& list, std::atomic<std::uint64_t>& count, int n) {
    ++count;
    list.append(primaryFile(n), count);
}

TEST(RecoveredFilesList, TheThousandFiveHundredAndSixHundredCaseOpensEveryLaterItemFromOmitted) {
    RecoveredFilesList list;
    std::atomic<std::uint64_t> general{0};
    for (int i = 1; i <= 1500; ++i)
        addPrimary(list, general, i);
    for (int i = 1; i <= 500; ++i)
        EXPECT_FALSE(list.append(thoroughFile(i), general));
    EXPECT_FALSE(list.wasCleared());
    EXPECT_TRUE(RecoveredFilesList::isPrimaryItem(1500, general));
    EXPECT_FALSE(RecoveredFilesList::isPrimaryItem(1501, general));

    EXPECT_TRUE(list.append(thoroughFile(501), general)); // the 2001st item empties the list first
    EXPECT_TRUE(list.wasCleared());
    ASSERT_EQ(list.items().size(), 1u);
    EXPECT_EQ(list.items()[0].name, "PNG501.PNG");
    EXPECT_EQ(general.load(), 0u);
    for (int i = 502; i <= 600; ++i)
        list.append(thoroughFile(i), general);
    EXPECT_FALSE(RecoveredFilesList::isPrimaryItem(1, general));
    EXPECT_FALSE(RecoveredFilesList::isPrimaryItem(100, general));
}

TEST(RecoveredFilesList, APrimaryFilePastTwoThousandKeepsThePrimaryItemsApart) {
    RecoveredFilesList list;
    std::atomic<std::uint64_t> general{0};
    for (int i = 1; i <= 2500; ++i)
        addPrimary(list, general, i);
    ASSERT_EQ(list.items().size(), 500u);
    EXPECT_EQ(list.items()[0].name, "JPG2001.JPG");
    EXPECT_EQ(general.load(), 500u);
    list.append(thoroughFile(1), general);
    EXPECT_TRUE(RecoveredFilesList::isPrimaryItem(500, general));
    EXPECT_FALSE(RecoveredFilesList::isPrimaryItem(501, general));
}

} // namespace
} // namespace salvora
