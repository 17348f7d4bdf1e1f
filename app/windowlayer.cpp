// QtWindowLayer: the window layer on Qt's own window calls. Tested by
// tests/app/placement_qtest.cpp.
#include "app/windowlayer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace {

// Qt keeps no minimized or maximized positions; the window carries the last ones it was given, so
// that a save writes back what a restore applied.
const char* const kMinPosition = "brevakMinPosition";
const char* const kMaxPosition = "brevakMaxPosition";

TPoint StoredPoint(const QWidget* window, const char* name) {
  const QVariant value = window->property(name);
  if (!value.isValid()) return {-1, -1};
  const QPoint p = value.toPoint();
  return {p.x(), p.y()};
}

class TQtWindowLayer final : public TWindowLayer {
public:
  TWindowPlacement GetWindowPlacement(QWidget* window) override {
    TWindowPlacement placement;
    if (window->isMinimized())
      placement.showCmd = SW_SHOWMINIMIZED;
    else if (window->isMaximized())
      placement.showCmd = SW_SHOWMAXIMIZED;
    placement.ptMinPosition = StoredPoint(window, kMinPosition);
    placement.ptMaxPosition = StoredPoint(window, kMaxPosition);
    const QRect frame = NormalFrame(window);
    placement.rcNormalPosition = {frame.left(), frame.top(), frame.left() + frame.width(),
                                  frame.top() + frame.height()};
    return placement;
  }

  void SetWindowPlacement(QWidget* window, const TWindowPlacement& placement) override {
    window->setProperty(kMinPosition, QPoint(placement.ptMinPosition.x, placement.ptMinPosition.y));
    window->setProperty(kMaxPosition, QPoint(placement.ptMaxPosition.x, placement.ptMaxPosition.y));
    // Moving a window that has not been placed yet takes the choice of its first position away
    // from the desktop, so an unchanged position is left alone.
    const QPoint wanted(placement.rcNormalPosition.Left, placement.rcNormalPosition.Top);
    if (wanted != NormalFrame(window).topLeft()) MoveFrame(window, wanted);
    if (!IsWindowVisible(window)) return;  // SW_HIDE and the rest: a hidden window stays hidden
    switch (placement.showCmd) {
      case SW_SHOWMINIMIZED:
        window->showMinimized();
        break;
      case SW_SHOWMAXIMIZED:
        window->showMaximized();
        break;
      case SW_SHOWNORMAL:
        if (window->isMinimized() || window->isMaximized()) window->showNormal();
        break;
      default:
        break;
    }
  }

  bool IsWindowVisible(QWidget* window) override {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr && handle->isVisible() && window->isVisible();
  }

  bool IsIconic(QWidget* window) override { return window->isMinimized(); }

  bool HandleAllocated(QWidget* window) override {
    return window->testAttribute(Qt::WA_WState_Created);
  }

  QRect WindowBounds(QWidget* window) override { return window->frameGeometry(); }

  int GetSystemMetrics(TSystemMetric metric) override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    switch (metric) {
      case SM_CXSCREEN:
        return screen ? screen->geometry().width() : 0;
      case SM_CYSCREEN:
        return screen ? screen->geometry().height() : 0;
      case SM_CXBORDER:
      case SM_CYBORDER:
        return 1;
      case SM_CXFRAME:
      case SM_CYFRAME:
        return 4;
      case SM_CXDLGFRAME:
      case SM_CYDLGFRAME:
        return 3;
    }
    return 0;
  }

  int PixelsPerInch() override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
  }

private:
  // Puts the frame's top-left corner at p. A window that exists but is not on screen yet (as during
  // its first show event) does not know its frame, and QWidget::move places its client area at p;
  // the native window is then told that p is its frame's position, which the window manager honours
  // when it maps the window.
  static void MoveFrame(QWidget* window, QPoint p) {
    window->move(p);
    QWindow* handle = window->windowHandle();
    if (handle != nullptr && !handle->isVisible()) handle->setFramePosition(p);
  }

  // The frame a minimized or maximized window returns to.
  static QRect NormalFrame(QWidget* window) {
    if (!window->isMinimized() && !window->isMaximized()) return window->frameGeometry();
    const QRect normal = window->normalGeometry();
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return normal.adjusted(frame.left() - client.left(), frame.top() - client.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
  }
};

}  // namespace

TWindowLayer& QtWindowLayer() {
  static TQtWindowLayer layer;
  return layer;
}
