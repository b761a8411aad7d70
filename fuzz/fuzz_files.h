#pragma once
// Files for the fuzzers: each process works in its own temporary folder.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

namespace kmfuzz {

namespace fs = std::filesystem;

// A folder of this process, removed at exit.
inline const fs::path& workFolder() {
  static const fs::path dir = [] {
    std::string t = (fs::temp_directory_path() / "kazumaki-fuzz-XXXXXX").string();
    if (!mkdtemp(t.data())) std::abort();
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(workFolder(), ec);
    });
    return fs::path(t);
  }();
  return dir;
}

inline void writeFile(const fs::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) std::abort();
}

inline std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::set<std::string> folderEntries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// KM_FUZZ_VERBOSE=1 in the environment prints what each input gave (run a
// fuzzer on single files to see it).
inline void tell(const std::string& what) {
  static const bool verbose = std::getenv("KM_FUZZ_VERBOSE") != nullptr;
  if (verbose) std::fprintf(stderr, "%s\n", what.c_str());
}

inline std::string joined(const std::set<std::string>& names) {
  std::string s;
  for (const auto& n : names) s += (s.empty() ? "" : ", ") + n;
  return s;
}

// A broken property: says which and aborts, which libFuzzer reports as a crash.
[[noreturn]] inline void broken(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fuzz property broken: %s %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace kmfuzz
