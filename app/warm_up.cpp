#include "app/warm_up.h"

#include <fontconfig/fontconfig.h>

#include <QBuffer>
#include <QFontDatabase>
#include <QImageReader>

namespace km {

WarmUp::WarmUp()
    : thread_([made = application_.get_future()]() mutable {
        FcInit();
        if (!made.get()) return;
        // Asked for a handler of a named kind, the reader loads every image
        // plug-in to ask each whether it reads that kind.
        QBuffer none;
        none.open(QIODevice::ReadOnly);
        QImageReader(&none, "png").canRead();
        QFontDatabase::families();
      }) {}

void WarmUp::applicationMade() {
  if (told_) return;
  told_ = true;
  application_.set_value(true);
}

void WarmUp::wait() {
  if (!told_) {
    told_ = true;
    application_.set_value(false);
  }
  if (thread_.joinable()) thread_.join();
}

WarmUp::~WarmUp() { wait(); }

}  // namespace km
