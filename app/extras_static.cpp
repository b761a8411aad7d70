// The extras plugin linked into a program (kazumaki-tool, the tests) as a static plugin.
#include <QtPlugin>

Q_IMPORT_PLUGIN(KazumakiExtras)
