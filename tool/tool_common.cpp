#include "tool/tool_common.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "store/files/program_folder.h"
#include "store/files/text_excerpt.h"

namespace km::tool {

void tell(const std::string& reason, const std::string& details) {
  std::cerr << "kazumaki-tool: " << km::terminalSafe(reason) << "\n";
  if (!details.empty()) std::cerr << "  " << km::terminalSafe(details) << "\n";
}

int written() {
  std::cout.flush();
  if (std::cout.good()) return 0;
  tell("標準出力へ書き込めません。", errno ? std::strerror(errno) : std::string());
  return 1;
}

bool programFolder(std::string& folder) {
  const km::ProgramFolder f = km::locateProgramFolder(km::defaultProgramFolderPlaces(km::runningExecutableFolder()));
  if (!f.ok) {
    tell(f.message, f.details);
    return false;
  }
  if (!f.warning.empty()) tell(f.warning);
  folder = f.path;
  return true;
}

km::ConnectString connectTo(const std::string& path) { return km::ConnectString{path, km::databasePassword()}; }

bool databasePath(const std::string& given, std::string& path) {
  if (!given.empty()) {
    path = given;
    return true;
  }
  std::string dir;
  if (!programFolder(dir)) return false;
  path = km::makeConnectString(dir).path;
  return true;
}

std::optional<km::DrawList> load(const std::string& dbPath, bool withDates) {
  km::Result<km::DrawList> r = km::loadHistory(connectTo(dbPath), withDates);
  if (!r) {
    tell(r.message(), r.cause());
    return std::nullopt;
  }
  return std::move(*r);
}

}  // namespace km::tool
