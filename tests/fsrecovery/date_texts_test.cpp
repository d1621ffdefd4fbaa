// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/date_texts.h"

#include <gtest/gtest.h>

namespace salvora {
namespace {

TEST(FatDateText, DayMonthYearWithTheProductsMonthNames) {
    EXPECT_EQ(FatDateText(0x4265), "05-MAR-2013");
    EXPECT_EQ(FatDateText((33 << 9) | (13 << 5) | 1), "01-ERR-2013"); // month 13
    EXPECT_EQ(FatDateText((33 << 9) | (0 << 5) | 0), "00-ERR-2013");
    EXPECT_EQ(FatDateText((127 << 9) | (12 << 5) | 31), "31-DEC-2107");
}

TEST(FatTimeText, HoursMinutesAndTwoSecondSteps) {
    EXPECT_EQ(FatTimeText(0x7BCF), "15:30:30");
    EXPECT_EQ(FatTimeText(0), "00:00:00");
    EXPECT_EQ(FatTimeText(0xFFFF), "31:63:62"); // out-of-range fields are shown as stored
}

TEST(FileTimeTexts, UtcCalendarTime) {
    // 2013-03-05 15:30:30 UTC
    const std::uint64_t filetime = (1362497430ULL + 11644473600ULL) * 10000000ULL + 1234567;
    EXPECT_EQ(FileTimeTexts(filetime), (std::pair<std::string, std::string>{"05-MAR-2013", "15:30:30"}));
    EXPECT_EQ(FileTimeTexts(0), (std::pair<std::string, std::string>{"01-JAN-1601", "00:00:00"}));
    // 2000-02-29 is a leap day.
    EXPECT_EQ(FileTimeTexts((951782400ULL + 11644473600ULL) * 10000000ULL).first, "29-FEB-2000");
}

TEST(FatTimeWord, EncodesLocalTime) {
    std::tm local{};
    local.tm_hour = 15;
    local.tm_min = 30;
    local.tm_sec = 31;
    EXPECT_EQ(FatTimeWord(local), 0x7BCF);
    EXPECT_FALSE(MiscellaneousDateText(0).empty());
}

} // namespace
} // namespace salvora
