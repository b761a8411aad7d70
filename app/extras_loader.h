#pragma once
// Loading the extras plugin (frame/ui/extras.h) into the program.
#include <QString>
#include <QStringList>

#include "frame/ui/extras.h"

namespace km {

// Where the program looks for the plugin: beside itself (the build's program
// folder), then in the library folder of an installation
// (../lib/<multiarch>/kazumaki).
QStringList extrasModulePlaces(const QString& executableFolder);

// The interface id a plugin must bear to be loaded: it carries this build's id.
QString extrasInterfaceId();

// Loads the plugin at `path` and returns its interface; null with `error`
// (Japanese) and the loader's own message in `details` when the file is
// missing, is no plugin, cannot be loaded, or is from another build (told
// from its metadata: its code is not run then).  A plugin once loaded stays.
const Extras* loadExtrasModule(const QString& path, QString& error, QString* details = nullptr);
// The first of `places` that holds a plugin of this build: a place with
// nothing is skipped, and one whose plugin is refused (one of another build
// beside the program, say) is passed over for the next; when none loads,
// the first refusal (or that there is none) in `error`.
const Extras* loadFirstExtrasModule(const QStringList& places, QString& error, QString* details = nullptr);

}  // namespace km
