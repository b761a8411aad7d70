#include "store/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace km {

namespace {

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

}  // namespace

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  const fs::path t(target_);
  std::string tmpl = (fs::path(folderOf(target_)) / ("." + t.filename().string() + ".tmp-XXXXXX")).string();
  fd_ = ::mkstemp(tmpl.data());
  if (fd_ < 0) {
    error_ = "一時ファイルを作成できません（" + osError() + "）: " + tmpl;
    return;
  }
  tmp_ = tmpl;
}

ReplacementFile::~ReplacementFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !tmp_.empty()) ::unlink(tmp_.c_str());
}

bool ReplacementFile::fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

bool ReplacementFile::write(std::string_view bytes) {
  if (!ok()) return false;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("ファイルへ書き込めません（" + osError() + "）: " + tmp_);
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool ReplacementFile::commit(const std::string& backupPath) {
  if (!ok()) return false;
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  const mode_t mode = exists ? (st.st_mode & 07777) : 0644;
  if (::fchmod(fd_, mode) != 0) return fail("ファイルの属性を設定できません（" + osError() + "）: " + tmp_);
  if (::fsync(fd_) != 0) return fail("ファイルをディスクへ書き出せません（" + osError() + "）: " + tmp_);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return fail("ファイルを閉じられません（" + osError() + "）: " + tmp_);
  if (!backupPath.empty() && exists) {
    std::ifstream in(target_, std::ios::binary);
    const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return fail("元のファイルを読めません: " + target_);
    std::string why;
    if (!replaceFileContents(backupPath, old, &why)) return fail("控えを作成できません: " + why);
    ::chmod(backupPath.c_str(), mode);  // no wider access than the file it keeps
  }
  if (::rename(tmp_.c_str(), target_.c_str()) != 0)
    return fail("ファイルを置き換えられません（" + osError() + "）: " + target_);
  committed_ = true;
  syncFolder(folderOf(target_));
  return true;
}

bool replaceFileContents(const std::string& target, std::string_view bytes, std::string* error,
                         const std::string& backupPath) {
  ReplacementFile f(target);
  const bool ok = f.write(bytes) && f.commit(backupPath);
  if (!ok && error) *error = f.error();
  return ok;
}

}  // namespace km
