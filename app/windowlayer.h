// The window layer: what the placement store asks of the windowing system (a window's placement
// record, applying it, visibility, screen size, border metrics, pixels per inch), behind an
// interface so that the store's tests can stand in a fake. QtWindowLayer() is the real one.
// Tested by tests/app/placement_qtest.cpp and, on screens of set sizes, tests/app/main_qtest.cpp.
#pragma once

#include <QList>
#include <QRect>

class QWidget;

namespace brevak {

// The two records below keep the field names of the windowing system's placement record, which
// the placement store's logic and its tests are written in.
// NOLINTBEGIN(readability-identifier-naming)
struct TPoint {
  int x = 0;
  int y = 0;
};

// Right and bottom lie just outside the rectangle: width = Right - Left.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// Show commands of a placement record.
enum TShowCommand : int {
  SW_HIDE = 0,
  SW_SHOWNORMAL = 1,
  SW_SHOWMINIMIZED = 2,
  SW_SHOWMAXIMIZED = 3
};

// A top-level window's placement, all in screen coordinates; rcNormalPosition is the window's
// frame when it is neither minimized nor maximized.
struct TWindowPlacement {
  int flags = 0;
  int showCmd = SW_SHOWNORMAL;
  TPoint ptMinPosition;
  TPoint ptMaxPosition;
  TRect rcNormalPosition;
};
// NOLINTEND(readability-identifier-naming)

enum TSystemMetric {
  SM_CXSCREEN,  // primary screen width
  SM_CYSCREEN,  // primary screen height
  SM_CXBORDER,  // single border
  SM_CYBORDER,
  SM_CXFRAME,  // sizeable border
  SM_CYFRAME,
  SM_CXDLGFRAME,  // dialog border
  SM_CYDLGFRAME,
};

class TWindowLayer {
public:
  virtual ~TWindowLayer() = default;
  virtual TWindowPlacement GetWindowPlacement(QWidget* window) = 0;
  // Puts the window's frame at the record's normal rectangle's top-left corner (the window keeps
  // its own size), moved as little as needed to lie wholly on a screen (KeepOnScreen), and, for a
  // window on screen, gives it the show command's state.
  virtual void SetWindowPlacement(QWidget* window, const TWindowPlacement& placement) = 0;
  // Whether the window is on screen now (during its first show event it is not yet).
  virtual bool IsWindowVisible(QWidget* window) = 0;
  // Whether the program's window is minimized.
  virtual bool IsIconic(QWidget* window) = 0;
  // Whether the window system knows the window yet.
  virtual bool HandleAllocated(QWidget* window) = 0;
  // The window's frame: left, top, width and height in screen coordinates.
  virtual QRect WindowBounds(QWidget* window) = 0;
  virtual int GetSystemMetrics(TSystemMetric metric) = 0;
  // The screen's logical pixels per inch.
  virtual int PixelsPerInch() = 0;
  // Whether the windowing system tells programs where their windows are. Where it does not (a
  // Wayland compositor), a window's position reads as whatever the toolkit made up.
  virtual bool ReportsPositions() = 0;
};

// The top-left corner that puts a window's frame wholly into the available area of the screen it
// overlaps most (areas[0], the primary screen's, when it overlaps none), moved as little as
// needed. Along an axis where the frame is larger than the area, its top or left edge goes to the
// area's, so that the title bar stays in reach.
QPoint KeepOnScreen(const QRect& frame, const QList<QRect>& areas);

// The layer over Qt, in device-independent pixels.
TWindowLayer& QtWindowLayer();

}  // namespace brevak
