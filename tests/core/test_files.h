#pragma once
// Reading whole files in tests.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace km::test {

// The file's bytes; empty when it cannot be read.
inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream b;
  b << in.rdbuf();
  return b.str();
}

}  // namespace km::test
