// TForm's replaceable show, close-query and destroy handlers. Tested by
// tests/app/placement_qtest.cpp.
#include "app/form.h"

#include <QCloseEvent>
#include <QShowEvent>

TForm::TForm(QWidget* parent) : QWidget(parent) {}

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
