// The main window TfrmMain: ten source buttons and the progress bar.
#pragma once

#include <QWidget>

class TfrmMain : public QWidget {
  Q_OBJECT
public:
  explicit TfrmMain(QWidget* parent = nullptr);
};
