#include "app/fonts.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

#include "frame/ui/grid_view.h"

namespace km {

// "ＭＳ Ｐゴシック" draws digits half an em wide and kanji a full em.  Of
// Debian's Japanese faces, measured at 9 points and 96 DPI (12 px an em):
//   face                      digit  Latin A / W / i       kana       line
//   IPAGothic                 0.500  0.500 (all)           1.000      1.076
//   VL Gothic                 0.500  0.500 (all)           1.000      1.000
//   TakaoGothic               0.500  0.500 (all)           1.000      1.076
//   UmePlus Gothic            0.500  0.500 (all)           1.000      1.000
//   Konatu                    0.500  0.633 / 0.742 / 0.211 0.90-0.94  1.000
//   IPAPGothic, TakaoPGothic  0.629  0.637 / 0.927 / 0.270 0.87-0.92  1.076
//   IPAexGothic               0.629  0.637 / 0.927 / 0.270 1.000      1.076
//   VL PGothic                0.626  0.667 / 0.883 / 0.314 1.000      1.000
//   Noto Sans CJK JP          0.555  0.607 / 0.878 / 0.275 1.000      1.448
// The four with half-em digits and full-em kana and kanji draw "第1数字" 42 px
// wide; IPAGothic's kanji keep a pixel clear of the em box, so its ink is
// 41 px and fits between the lines of a five-character column (42 px), where
// VL Gothic's (42 px of ink) touches them.
constexpr const char* kGothic = "IPAGothic";
constexpr const char* kMincho = "IPAPMincho";

namespace {

class PlainButtonsStyle : public QProxyStyle {
 public:
  explicit PlainButtonsStyle(QStyle* base) : QProxyStyle(base) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

QStyle* withPlainDialogButtons(QStyle* base) { return new PlainButtonsStyle(base); }

void installFontSubstitutions() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QString::fromLatin1(kGothic));
  QFont::insertSubstitution(QStringLiteral("HGS明朝E"), QString::fromLatin1(kMincho));
  QApplication::setFont(GridView::gridFont());
  if (!dynamic_cast<PlainButtonsStyle*>(QApplication::style()))
    QApplication::setStyle(withPlainDialogButtons(QStyleFactory::create(QApplication::style()->name())));
}

bool loadToolkitTranslations() {
  auto* translator = new QTranslator(qApp);
  if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace km
