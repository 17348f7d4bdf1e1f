// The skin layer: the program's own look for the main window and its controls (the Fusion style
// with the button-face colour as the window's background). Switching it off gives the window back
// its plain look; switching it on again applies the skin afresh to everything the window holds.
// Tested by tests/app/main_qtest.cpp.
#pragma once

#include <QObject>
#include <QPalette>

class QWidget;

namespace brevak {

class TSkinManager : public QObject {
  Q_OBJECT
public:
  // The skin serves window; it starts inactive.
  explicit TSkinManager(QWidget* window);

  bool Active() const { return FActive; }
  void SetActive(bool active);

private:
  void ApplySkin();
  void RemoveSkin();

  QWidget* FWindow;
  bool FActive = false;
  QPalette FPlainPalette;
};

}  // namespace brevak
