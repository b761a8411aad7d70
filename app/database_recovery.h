#pragma once
// A history that cannot be read at start: the stop box says why and what the
// user can do.  For a database that is missing or damaged while a sound
// backup (Kazumaki.mdb.bak, kept by the update) lies beside it, the box offers
// to put the backup in its place; the damaged file is kept beside it.
#include "store/sqlite/database.h"

class QWidget;

namespace km {

// Shows the box for the failed read `r` of `cs`.  True when the user had the
// backup put back and the history was then read: `r` holds it, and a box has
// said what was put back (the file, its newest draw and how many draws).
bool recoverDatabase(QWidget* parent, const ConnectString& cs, LoadResult& r);

}  // namespace km
