// TForm: a top-level window whose show, close-query and destroy events go through replaceable
// handlers, so that a component owned by the window (the placement store) can hook them and keep
// the window's own handlers running. Tested by tests/app/placement_qtest.cpp.
#pragma once

#include <QWidget>

#include <functional>

namespace brevak {

// The kinds of window border; the placement store picks the border metrics by it.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

class TForm : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void()>;
  using TCloseQueryEvent = std::function<void(bool& canClose)>;

  explicit TForm(QWidget* parent = nullptr);
  ~TForm() override;

  // Runs each time the window is about to become visible (not when the window system merely
  // uncovers or restores it).
  TNotifyEvent OnShow;
  // Runs when the window is asked to close; CanClose starts true, false keeps the window open.
  TCloseQueryEvent OnCloseQuery;
  // Runs once, as the window's destruction begins, while every control still exists.
  TNotifyEvent OnDestroy;

  TFormBorderStyle BorderStyle = bsSingle;

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A window of fixed size takes whatever size the desktop gives it while it is maximized or full
  // screen (a Wayland compositor disconnects a program whose maximized window keeps a size of its
  // own), its controls staying where they are; back in the normal state it has its size again.
  void changeEvent(QEvent* event) override;
  // Fires OnDestroy once. A derived window calls it first in its destructor, so that the handler
  // still sees the window whole; TForm's own destructor calls it for windows that do not.
  void DoDestroy();

private:
  bool FDestroyDone = false;
  QSize FFixedSize;  // while maximized or full screen: the size it had, invalid otherwise
};

}  // namespace brevak
