// TForm's replaceable show, close-query and destroy handlers, and a fixed size that gives way while
// maximized. Tested by tests/app/placement_qtest.cpp and tests/app/main_qtest.cpp.
#include "app/form.h"

#include <QCloseEvent>
#include <QShowEvent>

#include <utility>

#include "app/accessible.h"

namespace brevak {

TForm::TForm(QWidget* parent) : QWidget(parent) { InstallAccessibleInterfaces(); }

TForm::~TForm() { DoDestroy(); }

void TForm::DoDestroy() {
  if (FDestroyDone) return;
  FDestroyDone = true;
  if (OnDestroy) OnDestroy();
}

void TForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous() && OnShow) OnShow();
}

void TForm::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(canClose);
  event->setAccepted(canClose);
}

void TForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const bool filling = (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
  if (filling && !FFixedSize.isValid() && minimumSize() == maximumSize()) {
    FFixedSize = minimumSize();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else if (!filling && FFixedSize.isValid()) {
    setFixedSize(std::exchange(FFixedSize, QSize()));
  }
}

}  // namespace brevak
