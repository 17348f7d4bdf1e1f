#include "app/main.h"

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {}
