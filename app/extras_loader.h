#pragma once
// Loading kazumaki-extras.so (frame/ui/extras.h) into the program.
#include <QString>
#include <QStringList>

#include "frame/ui/extras.h"

namespace km {

// Where the program looks for the module: beside itself (the build's program
// folder), then in the library folder of an installation
// (../lib/<multiarch>/kazumaki).
QStringList extrasModulePlaces(const QString& executableFolder);

// Loads the module at `path` and returns its table; null with `error`
// (Japanese) and the loader's own message in `details` when it cannot be
// loaded, or is from another build.  A module once loaded stays.
const Extras* loadExtrasModule(const QString& path, QString& error, QString* details = nullptr);

}  // namespace km
