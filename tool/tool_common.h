#pragma once
// What every command of kazumaki-tool shares: its words on standard error,
// the exit status after writing, the program folder and the history read.
#include <string>
#include <vector>

#include "store/sqlite/database.h"

namespace km::tool {

// A reason and, on a line of its own, the library's or the system's account;
// every line the tool writes to standard error comes through here, with a
// terminal's control codes in any text from outside written as \xNN.
void tell(const std::string& reason, const std::string& details = {});

// The exit status after writing to standard output: 1, said, when the
// output could not be written (a full disk, a closed pipe).
int written();

// The program folder, as the program itself finds it; false, said, when there is none.
bool programFolder(std::string& folder);

km::ConnectString connectTo(const std::string& path);

// The database a command names, or the program folder's Kazumaki.mdb when
// `given` is empty; false, said, when there is no program folder.
bool databasePath(const std::string& given, std::string& path);

// Reads the history at `dbPath`; false, said, when it cannot be read.
std::optional<km::DrawList> load(const std::string& dbPath, bool withDates);

}  // namespace km::tool
