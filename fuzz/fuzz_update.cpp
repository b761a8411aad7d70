// The check of a downloaded database before it replaces the history: any
// bytes either replace the database with a history that start-up reads in
// full, or leave the old file byte for byte as it was, with a reason and no
// file left behind.
#include <cstdint>
#include <string>

#include "fuzz/database_input.h"
#include "fuzz/fuzz_files.h"
#include "store/csv.h"
#include "store/database.h"
#include "store/database_update.h"

using kmfuzz::broken;

namespace {

std::string oldDatabase;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  km::setStoreLog([](const std::string&) {});
  const auto path = kmfuzz::workFolder() / km::kDatabaseFileName;
  const km::CsvResult csv =
      km::parseHistoryCsv(std::string(km::kCsvHeader) + "\n1,2000-01-01,1,2,3,4,5,6\n2,,7,8,9,10,11,\n");
  if (!csv.ok || !km::writeDatabase({path.string(), km::databasePassword()}, csv.draws).empty()) std::abort();
  oldDatabase = kmfuzz::readFile(path);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kmfuzz::DatabaseInput in = kmfuzz::databaseInput(data, size);
  const auto folder = kmfuzz::workFolder();
  const auto target = folder / km::kDatabaseFileName;
  const km::ReplaceResult r = km::replaceHistoryDatabase(target.string(), in.file);
  const auto names = kmfuzz::folderEntries(folder);
  kmfuzz::tell("mode " + std::to_string(in.mode) +
               (r.status == km::ReplaceResult::Replaced ? ": replaced, " + std::to_string(r.drawsAfter) + " draws"
                                                        : ": " + r.message));
  if (r.status == km::ReplaceResult::Replaced) {
    if (in.mode == 2) broken("a file of another password was taken");
    if (kmfuzz::readFile(target) != in.file) broken("the database is not the downloaded file");
    if (kmfuzz::readFile(km::backupPathFor(target.string())) != oldDatabase) broken("the backup is not the old file");
    if (names.size() != 2) broken("the replacement left a file behind");
    // What the check accepted, start-up must read in full.
    const km::LoadResult load = km::loadHistory({target.string(), km::databasePassword()});
    if (!load.ok) broken("an accepted download cannot be read", load.message);
    if (static_cast<int>(load.rows.size()) != r.drawsAfter) broken("start-up reads another number of draws");
    if (load.rows.empty() || load.rows.back().no != r.lastDrawNo) broken("start-up reads another last draw");
    kmfuzz::writeFile(target, oldDatabase);
    std::error_code ec;
    std::filesystem::remove(km::backupPathFor(target.string()), ec);
  } else {
    if (r.status != km::ReplaceResult::Invalid) broken("a download neither taken nor refused", r.message);
    if (r.message.empty()) broken("a refused download without a reason");
    if (kmfuzz::readFile(target) != oldDatabase) broken("a refused download changed the database");
    if (names.size() != 1) broken("a refused download left a file behind", kmfuzz::joined(names));
  }
  return 0;
}
