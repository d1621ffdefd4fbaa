// SPDX-License-Identifier: GPL-3.0-or-later
// Date and time texts of the file list: FAT date and time words and NTFS FILETIMEs, shown as DD-MON-YYYY
// and HH:MM:SS with the product's own month names.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>

namespace salvora {

// Day bits 0-4, month bits 5-8 ("ERR" for 0 or above 12), year 1980 + bits 9-15: "05-MAR-2013".
std::string FatDateText(std::uint16_t word);
// Hours bits 11-15, minutes bits 5-10, seconds 2 x bits 0-4: "15:30:30".
std::string FatTimeText(std::uint16_t word);
// A FILETIME (100 ns units since 1601-01-01 UTC) as UTC date and time texts, without conversion to local
// time.
std::pair<std::string, std::string> FileTimeTexts(std::uint64_t filetime);

// A local time as a FAT time word: hour x 2048 + minute x 32 + second / 2.
std::uint16_t FatTimeWord(const std::tm& local);
std::uint16_t CurrentFatTimeWord();
// The date KLX_Miscellaneous shows: today's local date as "%d-%b-%Y".
std::string MiscellaneousDateText(std::time_t now);

} // namespace salvora
