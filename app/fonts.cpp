// Loading the program's typeface at start-up. Tested by tests/app/main_qtest.cpp.
#include "app/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace brevak {

namespace {
const QString kTahoma = QStringLiteral("Tahoma");
}  // namespace

bool LoadProgramFonts() {
  if (QFontDatabase::hasFamily(kTahoma)) return true;
  static const char* const kFiles[] = {
      "/usr/share/wine/fonts/tahoma.ttf",
      "/usr/share/wine/fonts/tahomabd.ttf",
  };
  for (const char* file : kFiles)
    if (QFile::exists(QString::fromLatin1(file)))
      QFontDatabase::addApplicationFont(QString::fromLatin1(file));
  return QFontDatabase::hasFamily(kTahoma);
}

QFont ProgramFont() {
  QFont font;
  // DejaVu Sans and Liberation Sans stand in where Tahoma is missing; both are close in height.
  font.setFamilies({kTahoma, QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

}  // namespace brevak
