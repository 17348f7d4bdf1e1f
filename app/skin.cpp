// Applying and removing the skin. Tested by tests/app/main_qtest.cpp.
#include "app/skin.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace brevak {

namespace {

// One style object for the program's lifetime: widgets do not own their style, and the window's
// controls may outlive the skin manager while the window is torn down.
QStyle* SkinStyle() {
  static QStyle* style = [] {
    QStyle* s = QStyleFactory::create(QStringLiteral("Fusion"));
    if (s) s->setParent(qApp);
    return s;
  }();
  return style;
}

}  // namespace

TSkinManager::TSkinManager(QWidget* window) : QObject(window), FWindow(window) {}

void TSkinManager::SetActive(bool active) {
  if (active == FActive) return;
  FActive = active;
  if (active)
    ApplySkin();
  else
    RemoveSkin();
}

void TSkinManager::ApplySkin() {
  FPlainPalette = FWindow->palette();
  QPalette skin = QApplication::palette();
  // The window's background is the button-face colour, as on the classic desktop.
  skin.setColor(QPalette::Window, skin.color(QPalette::Button));
  FWindow->setPalette(skin);
  FWindow->setAutoFillBackground(true);
  QStyle* style = SkinStyle();
  if (!style) return;  // no Fusion in this Qt: the palette alone
  FWindow->setStyle(style);
  for (QWidget* child : FWindow->findChildren<QWidget*>()) child->setStyle(style);
}

void TSkinManager::RemoveSkin() {
  FWindow->setPalette(FPlainPalette);
  FWindow->setStyle(nullptr);
  for (QWidget* child : FWindow->findChildren<QWidget*>()) child->setStyle(nullptr);
}

}  // namespace brevak
