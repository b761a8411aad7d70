// The update of the history from a source's bytes: any bytes either add
// draws that follow the old history (which stays as it was, its file kept as
// the backup) or leave the old file byte for byte as it was, with a reason
// and no file left behind.
#include <cstdint>
#include <string>

#include "fuzz/database_input.h"
#include "fuzz/fuzz_files.h"
#include "store/formats/csv.h"
#include "store/sqlite/database.h"
#include "store/sqlite/database_update.h"

using kmfuzz::broken;

namespace {

std::string oldDatabase;
std::vector<km::Draw> oldDraws;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  km::setStoreLog([](const std::string&) {});
  const auto path = kmfuzz::workFolder() / km::kDatabaseFileName;
  const km::Result<km::DrawList> csv =
      km::parseHistoryCsv(std::string(km::kCsvHeader) + "\n1,2000-01-01,1,2,3,4,5,6\n2,,7,8,9,10,11,\n");
  if (!csv.ok() || !km::writeDatabase({path.string(), km::databasePassword()}, csv->draws).ok()) std::abort();
  oldDatabase = kmfuzz::readFile(path);
  oldDraws = csv->draws;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kmfuzz::DatabaseInput in = kmfuzz::databaseInput(data, size);
  const auto folder = kmfuzz::workFolder();
  const auto target = folder / km::kDatabaseFileName;
  const km::UpdateResult r = km::updateHistory(target.string(), in.file, {{}, "2025-01-01"});
  const auto names = kmfuzz::folderEntries(folder);
  kmfuzz::tell(
      "mode " + std::to_string(in.mode) +
      ((r && !r->added.empty()) ? ": added " + std::to_string(r->added.size()) + " draws" : ": " + r.message()));
  if ((r && !r->added.empty())) {
    if (in.mode == 2) broken("a file of another password was taken");
    if (kmfuzz::readFile(km::backupPathFor(target.string())) != oldDatabase) broken("the backup is not the old file");
    if (names.size() != 2) broken("the update left a file behind");
    const km::LoadResult load = km::loadHistory({target.string(), km::databasePassword()}, true);
    if (!load.ok()) broken("an updated history cannot be read", load.message());
    if (load->draws.size() != oldDraws.size() + r->added.size()) broken("start-up reads another number of draws");
    for (size_t i = 0; i < load->draws.size(); ++i) {
      const km::Draw& want = i < oldDraws.size() ? oldDraws[i] : r->added[i - oldDraws.size()];
      if (load->draws[i].no != want.no || load->draws[i].n != want.n || load->draws[i].date != want.date)
        broken("the history is not the old one followed by the added draws");
    }
    if (r->drawsAfter != static_cast<int>(load->draws.size())) broken("the count of draws is wrong");
    kmfuzz::writeFile(target, oldDatabase);
    std::error_code ec;
    std::filesystem::remove(km::backupPathFor(target.string()), ec);
  } else {
    if (!r && r.kind() != km::Fault::Refused) broken("an update neither taken nor refused", r.message());
    if (!r && r.message().empty()) broken("a refused update without a reason");
    if (kmfuzz::readFile(target) != oldDatabase) broken("an update that added nothing changed the database");
    if (names.size() != 1) broken("an update that added nothing left a file behind", kmfuzz::joined(names));
  }
  return 0;
}
