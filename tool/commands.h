#pragma once
// The commands of kazumaki-tool that stand in files of their own: each takes
// the command line after the program's name (a[0] is the command) and
// returns the exit status (0 done, 1 refused or failed, said on standard
// error, 2 the usage).
#include <string>
#include <vector>

namespace km::tool {

// The usage text, on standard error; returns 2.
int usage();

// prizes [DB] DRAW W1 P1 W2 P2 W3 P3 W4 P4 | prizes [DB] DRAW --clear (prizes_command.cpp)
int prizesCommand(const std::vector<std::string>& a);

// combos [DB] [conditions] (--count | --csv | --sample K [--seed S]) [--sort-factor] [--min-factor F]: the
// lines of 組合せ作成, with their 賞金倍率 when it is asked for.
int combosCommand(const std::vector<std::string>& a);

// wheel --numbers "N N .." --match T [--if M] [--csv]: a wheel's lines.
int wheelCommand(const std::vector<std::string>& a);
// popularity [DB] (--line "N1 N2 N3 N4 N5"... | --numbers) [--csv]: the window 人気度.
int popularityCommand(const std::vector<std::string>& a);

}  // namespace km::tool
