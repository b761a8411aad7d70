#include "store/files/replace_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "store/messages.h"

namespace fs = std::filesystem;

namespace km {

namespace {

ReplacementStepHook stepHook = nullptr;

// Lets the test hook fail a step; errno then reads as an I/O error.
bool stepAllowed(const char* step) {
  if (!stepHook || stepHook(step)) return true;
  errno = EIO;
  return false;
}

std::string folderOf(const std::string& path) {
  const fs::path p(path);
  return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

std::string osError() { return std::strerror(errno); }

bool syncFolder(const std::string& folder) {
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd < 0) return false;
  const bool ok = ::fsync(dfd) == 0;
  ::close(dfd);
  return ok;
}

// Where a chain of symbolic links ends (the path itself when it is no link);
// empty with `why` (and the system's `cause`) set for a loop, a link that
// cannot be read, or one that another user made: only the user's own links
// and root's are followed, so that nobody can send a write of ours into a
// file of their choosing (the kernel's rule for shared folders, everywhere).
std::string followLinks(const std::string& path, std::string& why, std::string& at, std::string& cause) {
  fs::path p(path);
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p.string();
    if (st.st_uid != ::geteuid() && st.st_uid != 0) {
      why = says::replaceLinkForeign();
      at = p.string();
      cause = "owner uid " + std::to_string(st.st_uid);
      return {};
    }
    std::error_code ec;
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) {
      why = says::replaceLinkUnreadable();
      at = p.string();
      cause = ec.message();
      return {};
    }
    p = next.is_absolute() ? next : (p.has_parent_path() ? p.parent_path() : fs::path(".")) / next;
  }
  why = says::replaceLinkLoop();
  at = path;
  return {};
}

// The prefix of our temporary files for a target: ".NAME.tmp-".
std::string temporaryPrefix(const std::string& target) {
  std::string prefix = ".";
  prefix += fs::path(target).filename().string();
  prefix += ".tmp-";
  return prefix;
}

// True for ".NAME.tmp-XXXXXX" exactly (the six characters mkstemp chose).
bool isOurTemporary(const std::string& name, const std::string& prefix) {
  return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

ReplacementStepHook setReplacementStepHook(ReplacementStepHook hook) {
  const ReplacementStepHook previous = stepHook;
  stepHook = hook;
  return previous;
}

namespace {

// Temporary files of earlier versions of the program ("NAME.tmp-XXXXXX" and
// ".kazumaki-ini-XXXXXX" beside a settings file), written without a lock:
// they count as stale once an hour old, when no write can still be going on.
bool isEarlierTemporary(const std::string& name, const std::string& target) {
  const std::string base = fs::path(target).filename().string();
  const std::string a = base + ".tmp-", b = ".kazumaki-ini-";
  std::string n = name;
  if (n.size() > 8 && n.compare(n.size() - 8, 8, "-journal") == 0) n.erase(n.size() - 8);
  if (n.size() == a.size() + 6 && n.compare(0, a.size(), a) == 0) return true;
  return fs::path(target).extension() == ".ini" && n.size() == b.size() + 6 && n.compare(0, b.size(), b) == 0;
}

int removeEarlierTemporaryFiles(const std::string& folder, const std::string& target) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(d))
      if (isEarlierTemporary(e->d_name, target)) names.emplace_back(e->d_name);
    ::closedir(d);
  }
  int removed = 0;
  const time_t hourAgo = ::time(nullptr) - 3600;
  for (const std::string& name : names) {
    const std::string path = (fs::path(folder) / name).string();
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_mtime < hourAgo &&
        ::unlink(path.c_str()) == 0)
      ++removed;
  }
  return removed;
}

}  // namespace

std::string foreignLinkOn(const std::string& path) {
  std::string why, at, cause;
  return followLinks(path, why, at, cause).empty() && cause.rfind("owner uid ", 0) == 0 ? at : std::string();
}

Result<std::string> readRegularFile(const std::string& path, unsigned long long cap) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return Failure{Fault::Missing, {}, osError()};
  if (const std::string link = foreignLinkOn(path); !link.empty()) return Failure{Fault::ForeignLink, {}, link};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Failure{errno == ENOENT ? Fault::Missing : Fault::Unreadable, {}, osError()};
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Failure{Fault::NotRegular, {}, {}};
  if (static_cast<unsigned long long>(st.st_size) > cap) return Failure{Fault::TooLarge, {}, {}};
  std::string bytes(static_cast<size_t>(st.st_size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got != bytes.size()) return Failure{Fault::Unreadable, {}, osError()};
  return bytes;
}

int removeStaleTemporaryFiles(const std::string& target) {
  std::string why, at, cause;
  const std::string resolved = followLinks(target, why, at, cause);
  if (resolved.empty()) return 0;
  const std::string folder = folderOf(resolved);
  const std::string prefix = temporaryPrefix(resolved);
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(d))
      if (std::string(e->d_name).compare(0, prefix.size(), prefix) == 0) names.emplace_back(e->d_name);
    ::closedir(d);
  }
  int removed = 0;
  for (const std::string& name : names) {
    if (!isOurTemporary(name, prefix)) continue;
    const std::string path = (fs::path(folder) / name).string();
    // A live writer holds its file locked; what nobody holds is left over.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // only the user's own files: another user's file of that name is theirs
    const bool stale =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (stale && ::unlink(path.c_str()) == 0) ++removed;
    ::close(fd);
  }
  // The journal of a temporary database goes with it.
  for (const std::string& name : names) {
    const std::string suffix = "-journal";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
    const std::string base = name.substr(0, name.size() - suffix.size());
    if (!isOurTemporary(base, prefix)) continue;
    struct stat st {};
    const std::string basePath = (fs::path(folder) / base).string();
    if (::lstat(basePath.c_str(), &st) == 0) continue;  // its database is still being written
    const std::string journalPath = (fs::path(folder) / name).string();
    if (::lstat(journalPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    if (::unlink((fs::path(folder) / name).c_str()) == 0) ++removed;
  }
  removed += removeEarlierTemporaryFiles(folder, resolved);
  if (removed) syncFolder(folder);
  return removed;
}

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  std::string why, at, cause;
  resolved_ = followLinks(target_, why, at, cause);
  if (resolved_.empty()) {
    fail(why, at, cause);
    return;
  }
  struct stat st {};
  if (::lstat(resolved_.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      fail(says::replaceNotRegular(), resolved_);
      return;
    }
    if ((st.st_mode & 0222) == 0) {
      fail(says::replaceReadOnly(), resolved_);
      return;
    }
    if (st.st_nlink > 1) {
      fail(says::replaceHardLink(), resolved_);
      return;
    }
  }
  removeStaleTemporaryFiles(resolved_);
  std::string tmpl = (fs::path(folderOf(resolved_)) / (temporaryPrefix(resolved_) + "XXXXXX")).string();
  fd_ = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd_ < 0) {
    fail(says::replaceNoTemporary(), tmpl, osError(), folderOf(resolved_));
    return;
  }
  tmp_ = tmpl;
  // Held until the file is renamed or removed: a file of ours nobody holds is stale.
  ::flock(fd_, LOCK_EX);
}

ReplacementFile::~ReplacementFile() {
  if (!committed_ && !tmp_.empty()) ::unlink(tmp_.c_str());
  if (fd_ >= 0) ::close(fd_);
}

bool ReplacementFile::fail(const std::string& what, const std::string& path, const std::string& cause,
                           const std::string& shown) {
  if (!error_.empty()) return false;
  error_ = says::replaceError(what, cause, path);
  failure_ = {Fault::WriteFailed, says::replaceFailure(what, shown.empty() ? path : shown), cause};
  return false;
}

bool ReplacementFile::write(std::string_view bytes) {
  if (!ok()) return false;
  while (!bytes.empty()) {
    const size_t chunk = std::min<size_t>(bytes.size(), 64 * 1024);
    const ssize_t n = stepAllowed("write") ? ::write(fd_, bytes.data(), chunk) : -1;
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(says::replaceWriteFailed(), tmp_, osError(), resolved_);
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool ReplacementFile::commit(const std::string& backupPath, std::optional<std::string_view> oldBytes) {
  if (!ok()) return false;
  struct stat st {};
  const bool exists = ::stat(resolved_.c_str(), &st) == 0;
  if (exists && (st.st_mode & 0222) == 0)  // made read-only while we wrote
    return fail(says::replaceReadOnly(), resolved_);
  mode_t mode = exists ? (st.st_mode & 07777) : 0644;
  if (limitMode_) mode = exists ? (mode & *limitMode_) : *limitMode_;
  if (::fchmod(fd_, mode) != 0) return fail(says::replaceModeFailed(), tmp_, osError(), resolved_);
  if (!stepAllowed("sync") || ::fsync(fd_) != 0) return fail(says::replaceSyncFailed(), tmp_, osError(), resolved_);
  if (!backupPath.empty() && exists) {
    // a backup that leads to the file itself (a link) would keep nothing
    struct stat bst {};
    if (::stat(backupPath.c_str(), &bst) == 0 && bst.st_dev == st.st_dev && bst.st_ino == st.st_ino)
      return fail(says::replaceBackupIsFile(), backupPath);
    std::string read;
    if (!oldBytes) {
      std::ifstream in(resolved_, std::ios::binary);
      read.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      if (!in.good() && !in.eof()) return fail(says::replaceOriginalUnreadable(), resolved_);
    }
    const std::string_view old = oldBytes ? *oldBytes : std::string_view(read);
    if (!stepAllowed("backup")) return fail(says::replaceBackupFailed(), backupPath, osError());
    // no wider access than the file it keeps, given to the new file before
    // it is in place: a file an earlier backup's link leads to keeps its mode
    ReplacementFile backup(backupPath);
    backup.limitMode_ = mode;
    if (!backup.write(old) || !backup.commit()) {
      error_ = says::replaceBackupFailed() + ": " + backup.error();
      failure_ = {Fault::WriteFailed, says::replaceFailure(says::replaceBackupFailed(), backup.failure().message),
                  backup.failure().cause};
      return false;
    }
  }
  if (!stepAllowed("rename") || ::rename(tmp_.c_str(), resolved_.c_str()) != 0)
    return fail(says::replaceRenameFailed(), resolved_, osError());

  committed_ = true;
  stepAllowed("renamed");  // the new file is in place; nothing can undo that
  const int fd = fd_;
  fd_ = -1;
  ::close(fd);  // the data is on disk already (fsync above)
  // The new contents are in place; a folder that cannot be flushed only
  // leaves the rename to the system's own timing, so it is not a failure.
  syncFolder(folderOf(resolved_));
  return true;
}

bool replaceFileContents(const std::string& target, std::string_view bytes, std::string* error,
                         const std::string& backupPath, Failure* failure) {
  ReplacementFile f(target);
  const bool ok = f.write(bytes) && f.commit(backupPath);
  if (!ok && error) *error = f.error();
  if (!ok && failure) *failure = f.failure();
  return ok;
}

}  // namespace km
