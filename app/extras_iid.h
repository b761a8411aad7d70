#pragma once
// The interface id of the extras plugin: it carries the build id (a hash of
// the sources of the program and the plugin, the compiler, its flags and Qt's
// version: scripts/build_id.cmake), so that a plugin of another build is
// refused from its metadata, before any of its code runs.  Only the loader and
// the plugin include this.
#include <QtPlugin>

#include "frame/ui/extras.h"
#include "km_build_id.h"

#define KM_EXTRAS_IID "org.kazumaki.Extras/" KM_BUILD_ID

Q_DECLARE_INTERFACE(km::Extras, KM_EXTRAS_IID)
