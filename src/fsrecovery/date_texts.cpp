// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/date_texts.h"

#include <array>
#include <cstdio>

namespace salvora {
namespace {

constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

const char* monthText(unsigned month) {
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "ERR";
}

std::string dateText(unsigned day, unsigned month, long long year) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u-%s-%04lld", day, monthText(month), year);
    return text;
}

std::string timeText(unsigned hours, unsigned minutes, unsigned seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", hours, minutes, seconds);
    return text;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long days, long long& year, unsigned& month, unsigned& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<long long>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

std::string FatDateText(std::uint16_t word) {
    return dateText(word & 0x1Fu, (word >> 5) & 0x0Fu, 1980 + (word >> 9));
}

std::string FatTimeText(std::uint16_t word) {
    return timeText(word >> 11, (word >> 5) & 0x3Fu, 2 * (word & 0x1Fu));
}

std::pair<std::string, std::string> FileTimeTexts(std::uint64_t filetime) {
    // 100 ns units since 1601-01-01; 1601 to 1970 is 11644473600 seconds.
    const long long seconds = static_cast<long long>(filetime / 10000000ULL) - 11644473600LL;
    long long days = seconds / 86400;
    long long secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    long long year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(days, year, month, day);
    return {dateText(day, month, year),
            timeText(static_cast<unsigned>(secondOfDay / 3600), static_cast<unsigned>(secondOfDay / 60 % 60),
                     static_cast<unsigned>(secondOfDay % 60))};
}

std::uint16_t FatTimeWord(const std::tm& local) {
    return static_cast<std::uint16_t>(local.tm_hour * 2048 + local.tm_min * 32 + local.tm_sec / 2);
}

std::uint16_t CurrentFatTimeWord() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FatTimeWord(local);
}

std::string MiscellaneousDateText(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    if (std::strftime(text, sizeof text, "%d-%b-%Y", &local) == 0)
        return {};
    return text;
}

} // namespace salvora
