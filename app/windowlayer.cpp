// QtWindowLayer: the window layer on Qt's own window calls. Tested by
// tests/app/placement_qtest.cpp.
#include "app/windowlayer.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace brevak {

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

qint64 OverlapArea(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

// One axis of KeepOnScreen: the start of a span of the given length inside [low, low + room).
int KeepInside(int start, int length, int low, int room) {
  if (length >= room) return low;
  return std::clamp(start, low, low + room - length);
}

// The available areas of the screens, the primary screen's first.
QList<QRect> ScreenAreas() {
  QList<QRect> areas;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) areas << primary->availableGeometry();
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen != primary) areas << screen->availableGeometry();
  return areas;
}

// A window that is not on screen yet may not know its frame: a window manager adds its title bar
// only when the window is mapped. Until the window's frame is known (or for a short while after
// it is shown, where no window manager draws one), each move of the window is checked again and
// the frame brought wholly onto a screen. Moves after that are the user's and are left alone.
class TFrameWatch final : public QObject {
public:
  static constexpr QLatin1StringView kName{"brevakFrameWatch"};

  explicit TFrameWatch(QWidget* window) : QObject(window), FWindow(window) {
    setObjectName(kName);
    window->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show) return false;
    if (!FWindow->isVisible()) return false;
    constexpr qint64 kFrameWaitMs = 2000;
    if (!FShown.isValid()) {
      FShown.start();
    } else if (FShown.elapsed() > kFrameWaitMs) {
      deleteLater();
      return false;
    }
    const QRect frame = FWindow->frameGeometry();
    const QPoint wanted = KeepOnScreen(frame, ScreenAreas());
    if (wanted != frame.topLeft()) FWindow->move(wanted);
    if (frame.size() != FWindow->size()) deleteLater();
    return false;
  }

private:
  QWidget* FWindow;
  QElapsedTimer FShown;
};

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
    // A position brought onto a screen is applied even where it lands on the present one (a saved
    // -3,-30 becomes 0,0, where an unplaced window also stands).
    const QRect frame = NormalFrame(window);
    const QPoint asked(placement.rcNormalPosition.Left, placement.rcNormalPosition.Top);
    if (asked != frame.topLeft())
      MoveFrame(window, KeepOnScreen(QRect(asked, frame.size()), ScreenAreas()));
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

  bool ReportsPositions() override {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  }

private:
  // Puts the frame's top-left corner at p. A window that exists but is not on screen yet (as during
  // its first show event) does not know its frame, and QWidget::move places its client area at p;
  // the native window is then told that p is its frame's position, which the window manager honours
  // when it maps the window.
  void MoveFrame(QWidget* window, QPoint p) {
    window->move(p);
    QWindow* handle = window->windowHandle();
    if (handle == nullptr || handle->isVisible()) return;
    handle->setFramePosition(p);
    if (ReportsPositions() &&
        window->findChild<QObject*>(TFrameWatch::kName, Qt::FindDirectChildrenOnly) == nullptr)
      new TFrameWatch(window);
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

QPoint KeepOnScreen(const QRect& frame, const QList<QRect>& areas) {
  if (areas.isEmpty()) return frame.topLeft();
  QRect area = areas.front();
  qint64 most = 0;
  for (const QRect& candidate : areas) {
    const qint64 overlap = OverlapArea(frame, candidate);
    if (overlap > most) {
      most = overlap;
      area = candidate;
    }
  }
  return {KeepInside(frame.left(), frame.width(), area.left(), area.width()),
          KeepInside(frame.top(), frame.height(), area.top(), area.height())};
}

TWindowLayer& QtWindowLayer() {
  static TQtWindowLayer layer;
  return layer;
}

}  // namespace brevak
