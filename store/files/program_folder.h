#pragma once
// The program folder: where the result database Kazumaki.mdb, the settings
// file and the help files live.
//
// A build folder or a portable copy keeps everything beside the executable
// and runs from there.  An installed program never writes under its
// installation prefix: it runs from a per-user folder ($XDG_DATA_HOME/kazumaki,
// by default ~/.local/share/kazumaki), made on first start and seeded with a
// copy of the shipped database.
#include <string>

namespace km {

// The history's file in the program folder, and the backup the update keeps beside it.
inline constexpr const char* kDatabaseFileName = "Kazumaki.mdb";
inline constexpr const char* kDatabaseBackupFileName = "Kazumaki.mdb.bak";

// Where the installed program keeps its shipped files, relative to the folder
// of its executables (bin/ -> share/kazumaki/).
inline constexpr const char* kShippedFolderFromBin = "../share/kazumaki";

struct ProgramFolderPlaces {
  std::string executableFolder;   // folder of the running executable
  std::string shippedFolder;      // installed read-only copy of the shipped files
  std::string userFolder;         // per-user folder; empty when it cannot be named
  std::string userFolderProblem;  // why userFolder is empty
};

// The places for this process: the executable's folder, the shipped folder
// beside it and the per-user folder named by XDG_DATA_HOME or HOME.
ProgramFolderPlaces defaultProgramFolderPlaces(const std::string& executableFolder);

// The folder of the running executable (from /proc/self/exe).
std::string runningExecutableFolder();

struct ProgramFolder {
  bool ok = false;
  std::string path;      // the program folder
  bool perUser = false;  // path is the per-user folder
  bool seeded = false;   // the database was copied into it just now
  std::string message;   // why there is no program folder (Japanese), what to do and where
  std::string warning;   // a shipped help file could not be copied (Japanese); the program still runs
  std::string details;   // the system's own words for either, if any
};

// What stands at `path` when it is no regular file, following links:
// "フォルダ", "名前付きパイプ（FIFO）", "デバイス", "ソケット",
// "循環しているシンボリックリンク", "行き先のないシンボリックリンク"; empty when it
// is a regular file or nothing is there.
std::string notARegularFile(const std::string& path);

// True when files can be created and replaced in the folder and an existing
// database in it can be written.
bool isWritableProgramFolder(const std::string& folder);

// The program folder by these rules:
//  1. the executable's folder when it holds Kazumaki.mdb, or only its backup
//     Kazumaki.mdb.bak (the start then offers to put the backup back), and is
//     writable;
//  2. else the per-user folder, made when missing; a database missing there is
//     copied from the executable's folder or else from the shipped folder, and
//     the shipped help files (*.qch, *.qhc) are copied there when missing or
//     changed, so that help follows the installed package.
// The per-user database, once there, is never overwritten.  Nothing is made
// in the per-user folder when there is no database to put in it.
ProgramFolder locateProgramFolder(const ProgramFolderPlaces& places);

}  // namespace km
