#include "store/files/program_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "store/files/replace_file.h"
#include "store/files/text_excerpt.h"
#include "store/messages.h"

namespace fs = std::filesystem;

namespace km {

namespace {

bool isFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

bool canWrite(const fs::path& p) { return ::faccessat(AT_FDCWD, p.c_str(), W_OK, AT_EACCESS) == 0; }

// A shipped file (the database, a help file): no larger than any of them can be.
bool readWhole(const fs::path& p, std::string& bytes, std::string& why) {
  constexpr unsigned long long kMaxShippedBytes = 64ull * 1024 * 1024;
  Result<std::string> file = readRegularFile(p.string(), kMaxShippedBytes);
  if (!file) {
    why = file.kind() == Fault::TooLarge     ? says::shippedTooLarge()
          : file.kind() == Fault::NotRegular ? says::shippedNotRegular()
                                             : file.cause();
    return false;
  }
  bytes = std::move(*file);
  return true;
}

bool isHelpFile(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".qch" || ext == ".qhc";
}

// Copies the help files of `from` into `to` where missing or different.
// Returns the Japanese description of the first failure, or "", and the
// system's words in `details`.
std::string refreshHelpFiles(const fs::path& from, const fs::path& to, std::string& details) {
  std::error_code ec;
  std::vector<fs::path> files;
  for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec))
    if (isHelpFile(it->path()) && isFile(it->path())) files.push_back(it->path());
  for (const fs::path& src : files) {
    std::string bytes, why;
    if (!readWhole(src, bytes, why)) {
      details = why;
      return says::helpUnreadable(src.string());
    }
    const fs::path dst = to / src.filename();
    std::string old, ignored;
    if (isFile(dst) && readWhole(dst, old, ignored) && old == bytes) continue;
    Failure failure;
    if (!replaceFileContents(dst.string(), bytes, nullptr, {}, &failure)) {
      details = failure.cause;
      return says::helpNotCopied(failure.message);
    }
  }
  return {};
}

}  // namespace

std::string runningExecutableFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec).string();
  return exe.parent_path().string();
}

ProgramFolderPlaces defaultProgramFolderPlaces(const std::string& executableFolder) {
  ProgramFolderPlaces p;
  p.executableFolder = executableFolder;
  p.shippedFolder = (fs::path(executableFolder) / kShippedFolderFromBin).lexically_normal().string();
  // A relative XDG_DATA_HOME is invalid and ignored, as is an empty one.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) {
    p.userFolder = (fs::path(xdg) / "kazumaki").string();
    return p;
  }
  const char* home = std::getenv("HOME");
  std::string homeDir = home && *home ? home : "";
  if (homeDir.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) homeDir = pw->pw_dir;
  }
  if (homeDir.empty()) {
    p.userFolderProblem = says::userFolderUnset();
    return p;
  }
  if (!fs::path(homeDir).is_absolute()) {
    p.userFolderProblem = says::userFolderHomeRelative(excerpt(homeDir, 64));
    return p;
  }
  p.userFolder = (fs::path(homeDir) / ".local" / "share" / "kazumaki").string();
  return p;
}

bool isWritableProgramFolder(const std::string& folder) {
  const fs::path dir(folder);
  if (!canWrite(dir)) return false;
  const fs::path db = dir / kDatabaseFileName;
  return !isFile(db) || canWrite(db);
}

std::string notARegularFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};  // nothing there
  const bool link = S_ISLNK(st.st_mode);
  if (::stat(path.c_str(), &st) != 0)
    return link ? says::fileKind(errno == ELOOP ? says::FileKind::LinkLoop : says::FileKind::LinkNowhere)
                : std::string();
  if (S_ISREG(st.st_mode)) return {};
  if (S_ISDIR(st.st_mode)) return says::fileKind(says::FileKind::Folder);
  if (S_ISFIFO(st.st_mode)) return says::fileKind(says::FileKind::Fifo);
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return says::fileKind(says::FileKind::Device);
  if (S_ISSOCK(st.st_mode)) return says::fileKind(says::FileKind::Socket);
  return says::fileKind(says::FileKind::Special);
}

ProgramFolder locateProgramFolder(const ProgramFolderPlaces& places) {
  ProgramFolder r;
  const fs::path exeDir(places.executableFolder);
  // Something in the database's place that is no file is named, where it is;
  // the program does not go on to another folder of its own accord.
  const std::string exeDb = (exeDir / kDatabaseFileName).string();
  if (const std::string what = notARegularFile(exeDb); !what.empty()) {
    r.message = says::databaseNotRegular(kDatabaseFileName, what, exeDir.string(), exeDb);
    return r;
  }
  const bool exeHoldsDatabase = isFile(exeDb);
  // A build or a copy whose database is gone but whose backup is there stays
  // where it is: the start offers the backup in the database's place.
  const bool exeHoldsBackup = !exeHoldsDatabase && isFile(exeDir / kDatabaseBackupFileName);
  if ((exeHoldsDatabase || exeHoldsBackup) && canWrite(exeDir)) {
    r.ok = true;
    r.path = places.executableFolder;
    // a write-protected database is used where it is, read only, and said so
    if (exeHoldsDatabase && !canWrite(exeDb)) r.warning = says::databaseReadOnlyHere(exeDb);
    return r;
  }

  if (places.userFolder.empty()) {
    r.message = places.userFolderProblem.empty() ? says::userFolderUnknown() : places.userFolderProblem;
    return r;
  }
  const fs::path user(places.userFolder);
  r.path = user.string();
  r.perUser = true;
  // The shipped files come from the executable's folder (a read-only copy of
  // the program) or else from the installed shared folder.
  const fs::path source = exeHoldsDatabase ? exeDir : fs::path(places.shippedFolder);
  const fs::path userDb = user / kDatabaseFileName;
  const fs::path shippedDb = source / kDatabaseFileName;
  const bool seed = !isFile(userDb);
  if (seed && !isFile(shippedDb)) {
    // said before anything is made: an empty data folder would help nobody
    const std::string name = kDatabaseFileName;
    std::error_code ignored;
    if (!fs::is_directory(places.shippedFolder, ignored)) {
      // a build or a copy of the program: the file belongs beside it
      r.message = says::databaseMissingBeside(name, exeDir.string());
    } else {
      r.message = says::databaseMissingInstalled(name, user.string(),
                                                 fs::path(places.shippedFolder).lexically_normal().string());
    }
    return r;
  }
  std::error_code ec;
  fs::create_directories(user, ec);
  if (ec || !fs::is_directory(user, ec)) {
    r.message = says::dataFolderNotCreated(!ec, user.string());
    if (ec) r.details = ec.message();
    return r;
  }
  if (seed) {
    std::string bytes, why;
    if (!readWhole(shippedDb, bytes, why)) {
      r.message = says::shippedUnreadable(shippedDb.string());
      r.details = why;
      return r;
    }
    Failure failure;
    if (!replaceFileContents(userDb.string(), bytes, nullptr, {}, &failure)) {
      r.message = says::shippedNotCopied(failure.message);
      r.details = failure.cause;
      return r;
    }
    r.seeded = true;
  }

  if (!isWritableProgramFolder(user.string()))
    r.warning = says::dataFolderNotWritable(user.string());
  else
    r.warning = refreshHelpFiles(source, user, r.details);
  // A copy of the program in a folder the user cannot write: the user is told
  // once, when the data is copied, where entries and updates go from now on.
  if (r.seeded && exeHoldsDatabase) {
    const std::string moved = says::copiedToDataFolder(exeDir.string(), user.string());

    r.warning = r.warning.empty() ? moved : moved + "\n\n" + r.warning;
  }
  r.ok = true;
  return r;
}

}  // namespace km
