#pragma once
// A file written beside its target and renamed over it only when complete:
// anyone reading the target sees the old file or the new one, never a mix.
#include <string>
#include <string_view>

namespace km {

class ReplacementFile {
 public:
  // Creates an empty temporary file in the target's folder.  ok() tells
  // whether that worked; error() says why not.
  explicit ReplacementFile(std::string target);
  // Removes the temporary file unless it was committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool ok() const { return fd_ >= 0 && error_.empty(); }
  const std::string& error() const { return error_; }
  // The temporary file, for writers that open it themselves (a database).
  const std::string& path() const { return tmp_; }
  const std::string& target() const { return target_; }

  // Appends bytes to the temporary file.
  bool write(std::string_view bytes);
  // Gives the temporary file the target's permissions (0644 for a new file),
  // flushes it to disk and renames it over the target.  With a backup path,
  // the old target is first copied there (itself atomically).
  bool commit(const std::string& backupPath = {});

 private:
  bool fail(const std::string& why);

  std::string target_, tmp_, error_;
  int fd_ = -1;
  bool committed_ = false;
};

// Replaces the file at `target` with `bytes`; on failure the target is left
// as it was and `error` (if given) says why.
bool replaceFileContents(const std::string& target, std::string_view bytes, std::string* error = nullptr,
                         const std::string& backupPath = {});

}  // namespace km
