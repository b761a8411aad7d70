#include "app/fonts.h"

#include <QFont>

namespace km {

void installFontSubstitutions() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("HGS明朝E"), QStringLiteral("IPAPMincho"));
}

}  // namespace km
