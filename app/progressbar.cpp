// Painting the progress bar. Tested by tests/app/main_qtest.cpp.
#include "app/progressbar.h"

#include <QAccessible>
#include <QLinearGradient>
#include <QPainter>

#include "app/accessible.h"

namespace brevak {

const QColor TProgressBar::kBarColor{0x00, 0x00, 0x80};
const QColor TProgressBar::kBarStopColor{0x00, 0xFF, 0xFF};

int ProgressFillWidth(std::uint16_t v, int w) {
  if (v >= 100) return w;
  const int product = v * w;
  int fill = product / 100;
  const int rest = product % 100;
  if (rest > 50 || (rest == 50 && fill % 2 != 0)) ++fill;
  return fill;
}

TProgressBar::TProgressBar(QWidget* parent) : QWidget(parent) {
  InstallAccessibleInterfaces();
  setFocusPolicy(Qt::NoFocus);
  // Every pixel is painted here, so Qt need not clear the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TProgressBar::SetPercent(int v) {
  const auto stored = static_cast<std::uint16_t>(v);
  if (stored == FPercent) return;
  FPercent = stored;
  repaint();
  QAccessibleValueChangeEvent change(this, int(FPercent));
  QAccessible::updateAccessibility(&change);
}

QRect TProgressBar::InteriorRect() const {
  return rect().adjusted(kBevelWidth, kBevelWidth, -kBevelWidth, -kBevelWidth);
}

void TProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect all = rect();
  // Lowered bevel: shadow on the top and left edges, light on the bottom and right.
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(all.topLeft(), all.topRight());
  painter.drawLine(all.topLeft(), all.bottomLeft());
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(all.bottomLeft(), all.bottomRight());
  painter.drawLine(all.topRight(), all.bottomRight());

  const QRect interior = InteriorRect();
  const int fill = FilledWidth();
  const QRect filled(interior.left(), interior.top(), fill, interior.height());
  const QRect unfilled(interior.left() + fill, interior.top(), interior.width() - fill,
                       interior.height());

  // Both gradients run over the whole interior, so a pixel's colour tells how far along it is.
  QLinearGradient filledBrush(interior.topLeft(), interior.topRight());
  filledBrush.setColorAt(0, kBarColor);
  filledBrush.setColorAt(1, kBarStopColor);
  QLinearGradient unfilledBrush(interior.topLeft(), interior.topRight());
  unfilledBrush.setColorAt(0, Qt::white);
  unfilledBrush.setColorAt(1, palette().color(QPalette::Button));
  painter.fillRect(filled, filledBrush);
  painter.fillRect(unfilled, unfilledBrush);

  // The label in two colours: navy where it lies over the unfilled part, white over the filled.
  const QString label = Label();
  painter.setFont(font());
  painter.setClipRect(unfilled);
  painter.setPen(kBarColor);
  painter.drawText(all, Qt::AlignCenter, label);
  painter.setClipRect(filled);
  painter.setPen(Qt::white);
  painter.drawText(all, Qt::AlignCenter, label);
}

}  // namespace brevak
