// The accessible interfaces of the window and the progress bar. Tested by
// tests/app/main_qtest.cpp.
#include "app/accessible.h"

#include <QAccessibleWidget>

#include "app/form.h"
#include "app/progressbar.h"

namespace brevak {

namespace {

// The bar's value is its Percent, 0 to 100 on the bar (a larger one fills it and is told as it
// is); it is read-only.
class TProgressBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
  explicit TProgressBarAccessible(TProgressBar* bar)
      : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Bar()->Label();
    return QAccessibleWidget::text(t);
  }

  QVariant currentValue() const override { return int(Bar()->Percent()); }
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

private:
  TProgressBar* Bar() const { return static_cast<TProgressBar*>(widget()); }
};

QAccessibleInterface* CreateInterface(const QString& className, QObject* object) {
  if (className == QLatin1String("brevak::TProgressBar"))
    return new TProgressBarAccessible(static_cast<TProgressBar*>(object));
  // A top-level TForm is a window (Qt takes a plain top-level widget for a client area).
  if (className == QLatin1String("brevak::TForm") && static_cast<TForm*>(object)->isWindow())
    return new QAccessibleWidget(static_cast<TForm*>(object), QAccessible::Window);
  return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(CreateInterface);
    return true;
  }();
  (void)installed;
}

}  // namespace brevak
