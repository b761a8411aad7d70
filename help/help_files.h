#pragma once
// The compiled help in the program folder, and the page the help opens at.

namespace km {

inline constexpr const char* kHelpCollectionFile = "カズマキM.qhc";
// The keyword of the overview page.
inline constexpr const char* kHelpOverviewKeyword = "カズマキについて";

}  // namespace km
