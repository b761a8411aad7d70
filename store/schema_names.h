#pragma once
// The names a stored history file holds: its tables, its view and their
// columns.  They are spelled here only; the statements are built from them
// (store/sqlite/schema.h), and the results lists that use the same names for
// the same fields read them from here (store/formats/feed.cpp).
#include "store/history.h"

namespace km::schema {

// The draw table: one row per draw, the draw number its key.
inline constexpr const char* kDrawTable = "当選データ";
// The view every reader of the history reads through (a file of an older or
// newer version may define it over other tables).
inline constexpr const char* kHistoryView = "全データ選択クエリ";

inline constexpr const char* kDrawNo = "回数";
inline constexpr const char* kDate = "抽選日";
// 第1数字..第5数字, ボーナス数字
inline constexpr const char* kNumbers[kNumberFields] = {"第1数字", "第2数字", "第3数字",
                                                        "第4数字", "第5数字", "ボーナス数字"};

// The prizes: one row per draw whose prize is known, the winning tickets and
// the yen paid per winning ticket of tiers 1..4 (a file may lack the table).
inline constexpr const char* kPrizeTable = "当選金";
inline constexpr const char* kPrizeColumns[2 * kPrizeTiers] = {"1等口数", "2等口数", "3等口数", "4等口数",
                                                               "1等賞金", "2等賞金", "3等賞金", "4等賞金"};

}  // namespace km::schema
