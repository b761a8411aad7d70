#pragma once
// A file written beside its target and renamed over it only when complete:
// anyone reading the target sees the old file or the new one, never a mix.
//
// A target that is a symbolic link is written through the link: the file it
// points to is replaced, in that file's folder, and the link stays a link.
// Only links of the user's own (or root's) are followed; another user's link
// is refused, since it could lead the write into any file the user owns.
// A target that cannot be replaced without harm is refused before anything is
// written: one that is read-only (no write permission for anyone), not a
// regular file, or a file with further hard links (a rename would split them).
// The new file keeps the target's permissions.
#include <optional>
#include <string>
#include <string_view>

namespace km {

// A failed file operation as the user reads it and as the system told it:
// `text` says in Japanese what could not be done, on its first line, and
// names the file on the next; `cause` is the system's own words (strerror),
// empty when there are none.
struct FileFailure {
  std::string text, cause;
};

class ReplacementFile {
 public:
  // Creates an empty temporary file in the target's folder (the folder of the
  // file a symbolic link leads to), after removing temporary files that an
  // interrupted earlier write of the same target left there.  ok() tells
  // whether that worked; error() says why not.
  explicit ReplacementFile(std::string target);
  // Removes the temporary file unless it was committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool ok() const { return fd_ >= 0 && error_.empty(); }
  // Why not, in one line for the command line and the log: the sentence, the
  // system's words in brackets and the file.
  const std::string& error() const { return error_; }
  // The same, split for a message box.
  const FileFailure& failure() const { return failure_; }
  // The temporary file, for writers that open it themselves (a database).
  const std::string& path() const { return tmp_; }
  const std::string& target() const { return target_; }
  // The file that is replaced: the target, or where its symbolic links lead.

  // Appends bytes to the temporary file.
  bool write(std::string_view bytes);
  // Gives the temporary file the target's permissions (0644 for a new file),
  // flushes it to disk and renames it over the target.  With a backup path,
  // the old target is first copied there (itself atomically): `oldBytes`
  // when given (a database that a connection holds is copied from what the
  // connection read, never through a descriptor of its own), else the file
  // as read now.
  bool commit(const std::string& backupPath = {}, std::optional<std::string_view> oldBytes = std::nullopt);

 private:
  // Keeps the first failure: `what` went wrong with `path`, which the user
  // sees as `shown` (the target rather than its temporary file) when given.
  bool fail(const std::string& what, const std::string& path, const std::string& cause = {},
            const std::string& shown = {});

  std::optional<unsigned> limitMode_;  // a backup: no more permissions than the file it keeps
  std::string target_, resolved_, tmp_, error_;
  FileFailure failure_;
  int fd_ = -1;
  bool committed_ = false;
};

// A whole file read from outside the program: a regular file of at most
// `cap` bytes, opened without waiting on a pipe or a device and not through a
// symbolic link that another user (not root) made.
struct FileRead {
  enum Status { Read, Missing, ForeignLink, NotRegular, TooLarge, Unreadable };
  Status status = Missing;
  std::string bytes;
  std::string cause;  // the system's words (or the link's owner), where there are any
};
FileRead readRegularFile(const std::string& path, unsigned long long cap);

// The first symbolic link on the way to `path` that another user (not root)
// made, which no write may follow; empty when there is none.
std::string foreignLinkOn(const std::string& path);

// Removes the temporary files that interrupted writes of `target` left in its
// folder (files still being written by a live process are kept); returns how
// many were removed.
int removeStaleTemporaryFiles(const std::string& target);

// Test hook: when set, called before each step of a ReplacementFile ("write"
// per chunk of at most 64 KiB, "sync", "backup", "rename", and "renamed" once
// the new file is in place); returning false makes that step fail as a full
// or failing disk would ("renamed" cannot fail).
using ReplacementStepHook = bool (*)(const char* step);
ReplacementStepHook setReplacementStepHook(ReplacementStepHook hook);

// Replaces the file at `target` with `bytes`; on failure the target is left
// as it was and `error` (if given) says why.
bool replaceFileContents(const std::string& target, std::string_view bytes, std::string* error = nullptr,
                         const std::string& backupPath = {}, FileFailure* failure = nullptr);

}  // namespace km
