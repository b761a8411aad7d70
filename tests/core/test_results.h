#pragma once
// How an update or a merge of a feed ended, for tables of cases.
#include "store/sqlite/database_update.h"

namespace km::test {

enum class Ended { Added, NothingNew, Refused, Missing, Cancelled };

inline Ended endedAs(Fault kind, bool added) {
  switch (kind) {
    case Fault::None:
      return added ? Ended::Added : Ended::NothingNew;
    case Fault::Missing:
      return Ended::Missing;
    case Fault::Cancelled:
      return Ended::Cancelled;
    default:
      return Ended::Refused;
  }
}
inline Ended ended(const UpdateResult& r) { return endedAs(r.kind(), r && !r->added.empty()); }
inline Ended ended(const Result<FeedMerge>& m) { return endedAs(m.kind(), m && !m->added.empty()); }

}  // namespace km::test
