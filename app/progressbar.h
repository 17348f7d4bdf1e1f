// The progress bar of the main window: a 16-bit Percent drawn as a two-gradient bar with a centred
// "v%" label. Tested by tests/app/main_qtest.cpp.
#pragma once

#include <QWidget>

#include <cstdint>

namespace brevak {

// Pixels of the filled part for value v on an interior w pixels wide: v * w / 100 rounded to the
// nearest integer, ties to the even one; the whole interior from 100 on.
int ProgressFillWidth(std::uint16_t v, int w);

class TProgressBar : public QWidget {
  Q_OBJECT
public:
  explicit TProgressBar(QWidget* parent = nullptr);

  std::uint16_t Percent() const { return FPercent; }
  // Keeps v mod 65536 (so -1 becomes 65535). An unchanged value draws nothing; a new one is drawn
  // at once, without waiting for the message loop, and told to screen readers.
  void SetPercent(int v);

  // The frame: a lowered bevel one pixel wide around the interior.
  static constexpr int kBevelWidth = 1;
  QRect InteriorRect() const;
  int FilledWidth() const { return ProgressFillWidth(FPercent, InteriorRect().width()); }
  // The value in decimal and a percent sign, unclamped: 150 shows "150%" over a full bar.
  QString Label() const { return QString::number(FPercent) + u'%'; }

  static const QColor kBarColor;      // navy: where the filled part starts
  static const QColor kBarStopColor;  // aqua: where it ends

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::uint16_t FPercent = 0;
};

}  // namespace brevak
