#include "app/warm_up.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QImageReader>

namespace km {

WarmUp::WarmUp()
    : thread_([] {
        QFontDatabase::families();
        // An image whose kind the reader has to ask the plug-ins about.
        QBuffer none;
        none.open(QIODevice::ReadOnly);
        QImageReader(&none).format();
      }) {}

WarmUp::~WarmUp() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace km
