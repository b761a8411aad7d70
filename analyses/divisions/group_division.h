#pragma once
// 分割6データ分析, 分割7データ分析, 分割10データ分析: the numbers 1..31 split into
// consecutive groups; every complete draw on one line with a "●" under each of
// its numbers and every group it missed greyed.  The three windows differ only
// in their group table.
#include <string>
#include <vector>

#include "frame/grid.h"
#include "store/history.h"

namespace km {

inline constexpr Rgb kMainMarkBlue = RGB(62, 158, 255);      // "●" of a main number
inline constexpr Rgb kMissedGroupGrey = RGB(210, 210, 210);  // a group without a number of the draw

struct NumberGroup {
  int first, last;    // numbers of the group
  std::string label;  // written over the group's first column
};

struct GroupDivision {
  std::vector<NumberGroup> groups;  // in order, covering 1..31
  std::string title;                // row 1
  double titleRowHeight = 9;        // points
  double firstLetterRowHeight = 9;  // row 2, the letters of the first header
};

extern const GroupDivision kSixGroups;
extern const GroupDivision kSevenGroups;
extern const GroupDivision kTenGroups;

Grid fillGroupDivision(const History& history, const GroupDivision& division);

// The three windows.
inline Grid fillSixGroups(const History& history) { return fillGroupDivision(history, kSixGroups); }
inline Grid fillSevenGroups(const History& history) { return fillGroupDivision(history, kSevenGroups); }
inline Grid fillTenGroups(const History& history) { return fillGroupDivision(history, kTenGroups); }

}  // namespace km
