#pragma once

#include <cstdint>
#include <string>

#include "core/stock_code.h"

// How the sites write numbers and dates.
namespace tav::quotesim {

// 1234567 -> "1,234,567".
std::string withCommas(int64_t value);

// A value kept with decimals digits after the point: (12345, 2) -> "123.45".
std::string decimalText(int64_t value, int decimals, bool commas);

// A price of the security as the sites show it: yen with thousands commas,
// index levels with two decimals, US prices in dollars and cents, currency
// rates with two (four for the euro/dollar pair) decimals.
std::string priceText(StockCode code, int32_t price);

// 20050315 -> "2005年3月15日" (UTF-8).
std::string japaneseDate(int32_t date);
// 20050315 -> "2005/03/15".
std::string slashDate(int32_t date);
// 20050315 -> "2005-03-15".
std::string dashDate(int32_t date);
// 20050305 -> "5-Mar-05".
std::string usDate(int32_t date);

}  // namespace tav::quotesim
