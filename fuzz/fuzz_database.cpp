// Opening the database and reading the history at start-up: any file gives
// the history or a message naming the file, and the read changes nothing in
// the folder.
#include <cstdint>
#include <string>

#include "fuzz/database_input.h"
#include "fuzz/fuzz_files.h"
#include "store/sqlite/database.h"

using kmfuzz::broken;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  km::setStoreLog([](const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kmfuzz::DatabaseInput in = kmfuzz::databaseInput(data, size);
  const auto path = kmfuzz::workFolder() / km::kDatabaseFileName;
  kmfuzz::writeFile(path, in.file);
  const km::ConnectString cs{path.string(), km::databasePassword()};
  const km::LoadResult r = km::loadHistory(cs, in.withDates);
  kmfuzz::tell("mode " + std::to_string(in.mode) +
               (r.ok() ? ": read " + std::to_string(r->draws.size()) + " draws" : ": " + r.message()));
  if (r.ok()) {
    if (in.mode == 2) broken("a file of another password was read");
  } else {
    if (r.message().find(cs.path) == std::string::npos) broken("the message does not name the file", r.message());
  }
  if (kmfuzz::readFile(path) != in.file) broken("reading changed the database file");
  const auto names = kmfuzz::folderEntries(kmfuzz::workFolder());
  if (names.size() != 1) broken("reading left a file beside the database", kmfuzz::joined(names));
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return 0;
}
