// The extras of a program that links them in (tests, kazumaki-tool).
#include "frame/ui/extras.h"

namespace km {

const Extras* extras(QString&, QString*) { return &linkedExtras(); }

}  // namespace km
