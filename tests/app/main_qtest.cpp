// The main window as the user meets it: layout, focus, the progress bar, start-up, and what the
// window does around import runs (one at a time, closing waits, errors to the error box).
#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

#include "app/errorbox.h"
#include "app/fonts.h"
#include "app/main.h"
#include "app/progressbar.h"
#include "app/skin.h"
#include "base/exception.h"
#include "support/loopback_server.h"

using brevak::ApplicationTitle;
using brevak::LoadProgramFonts;
using brevak::ProgressFillWidth;
using brevak::SetErrorPresenter;
using brevak::TfrmMain;
using brevak::TProgressBar;
using brevak::TSourceId;

namespace {

// Counts the paint events a widget receives.
class TPaintCounter : public QObject {
public:
  int Count = 0;

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Count;
    return false;
  }
};

struct TShownError {
  QString Caption;
  QString Text;
};

bool IsNavyish(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) > 90; }
bool IsWhitish(QRgb c) { return qRed(c) > 235 && qGreen(c) > 235 && qBlue(c) > 235; }

// The frames that runs of shownWhere printed, in order.
QList<QRect> ShownFrames(const QByteArray& output) {
  QList<QRect> frames;
  const QRegularExpression shown(QStringLiteral("shown at (-?\\d+),(-?\\d+) size (\\d+)x(\\d+)"));
  for (const QRegularExpressionMatch& m : shown.globalMatch(QString::fromUtf8(output)))
    frames << QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                    m.captured(4).toInt());
  return frames;
}

bool AnyPixel(const QImage& image, const QRect& area, bool (*test)(QRgb)) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (test(image.pixel(x, y))) return true;
  return false;
}

}  // namespace

class TMainWindowTest : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<QTemporaryDir> FDir;
  std::vector<TShownError> FErrors;

  brevak::TProgramPaths Paths() const { return brevak::PathsIn(FDir->path().toStdString()); }
  QString FilePath(const char* name) const { return FDir->filePath(QString::fromLatin1(name)); }
  void PointSRRAt(int port) {
    QFile ini(FilePath("sources.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QByteArray("[Hosts]\r\nSRR=127.0.0.1:") + QByteArray::number(port) + "\r\n");
  }

private slots:
  void initTestCase() { LoadProgramFonts(); }

  void init() {
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    FErrors.clear();
    SetErrorPresenter([this](const QString& caption, const QString& text) {
      FErrors.push_back({caption, text});
    });
  }

  void cleanup() { SetErrorPresenter(nullptr); }

  void window() {
    TfrmMain form(Paths());
    QCOMPARE(form.objectName(), QStringLiteral("frmMain"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Brevak.ini"));
    QCOMPARE(form.size(), QSize(319, 166));
    QCOMPARE(form.minimumSize(), QSize(319, 166));
    QCOMPARE(form.maximumSize(), QSize(319, 166));
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
    QCOMPARE(form.font().pixelSize(), 11);
    if (LoadProgramFonts()) QCOMPARE(QFontInfo(form.font()).family(), QStringLiteral("Tahoma"));
    QVERIFY(form.SkinManager1->Active());
    QCOMPARE(form.palette().color(QPalette::Window), form.palette().color(QPalette::Button));
  }

  // Clubs described in sources.ini get a row of buttons under the ten, the bar moving down; a
  // section with a fault is told once the window is up, and a replaced built-in source keeps its
  // button. Without such sections the window is as it always is (above).
  void ownSourcesGetARowOfButtons() {
    {
      QFile ini(FilePath("sources.ini"));
      QVERIFY(ini.open(QIODevice::WriteOnly));
      ini.write(
          "[Source CWClub]\r\nURL=http://127.0.0.1:9/r.html\r\nRule=lines\r\n"
          "[Source Lists]\r\nURL=https://lists.example.org/\r\nRule=lines\r\n"
          "[Source SRR]\r\nURL=http://127.0.0.1:9/srr.csv\r\nRule=lines\r\n"
          "[Source Broken]\r\nRule=lines\r\n");
    }
    TfrmMain form(Paths());
    QCOMPARE(form.OwnButtons.size(), std::size_t{2});
    QCOMPARE(form.OwnButtons[0]->text(), QStringLiteral("CWClub"));
    QCOMPARE(form.OwnButtons[0]->toolTip(), QStringLiteral("http://127.0.0.1:9/r.html"));
    QCOMPARE(form.OwnButtons[1]->text(), QStringLiteral("Lists"));
    QCOMPARE(form.OwnButtons[1]->geometry(), QRect(111, 134, 97, 25));
    QCOMPARE(form.size(), QSize(319, 197));
    QCOMPARE(form.ProgressBar->geometry().top(), 165);

    std::vector<std::string> run;
    form.OwnImportRun = [&](const brevak::TSource& source, brevak::TImportHost&) {
      run.push_back(source.Name);
    };
    form.OwnButtons[1]->click();
    QCOMPARE(run, std::vector<std::string>{"Lists"});

    form.show();
    QTRY_COMPARE(FErrors.size(), std::size_t{1});
    QVERIFY(FErrors[0].Text.contains(QStringLiteral("[Source Broken] URL: missing")));
  }

  // Off gives the window and its controls the plain look; on applies the skin to all of them
  // afresh.
  void skinOffAndOn() {
    TfrmMain form(Paths());
    QStyle* skin = form.style();
    QVERIFY(skin != QApplication::style());
    QCOMPARE(form.btnRadioWave->style(), skin);
    form.SkinManager1->SetActive(false);
    QCOMPARE(form.style(), QApplication::style());
    QCOMPARE(form.btnRadioWave->style(), QApplication::style());
    form.SkinManager1->SetActive(true);
    QCOMPARE(form.style(), skin);
    QCOMPARE(form.btnRadioWave->style(), skin);
    QCOMPARE(form.ProgressBar->style(), skin);
  }

  void layout_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("tabOrder");
    QTest::addColumn<QString>("description");  // what a screen reader says beside the caption
    auto row = [](const char* name, const char* caption, const char* hint, int left, int top,
                  int width, int tab, const char* description) {
      QTest::newRow(name) << QString::fromUtf8(caption) << QString::fromUtf8(hint)
                          << QRect(left, top, width, 25) << tab << QString::fromUtf8(description);
    };
    row("btnHamlog", "Hamlog", "User Hamlog", 8, 8, 97, 0, "Key 1");
    row("btnSRR", "Create SRR", "SRR", 111, 8, 97, 1, "Key 2");
    row("btnKDR", "Create KDR", "Клуб дипломированных радиолюбителей (KDR)", 214, 8, 97, 2,
        "Key 3");
    row("btnAGB", "Create AGB", "Activity Group of Belarus", 8, 39, 97, 3, "Key 4");
    row("btnARCK", "Create ARCK", "Amateur Radio Club Kristall", 111, 39, 97, 4, "Key 5");
    row("btnRCWC", "Create RCWC", "Russian CW Club", 214, 39, 97, 5, "Key 6");
    row("btn5Ocean", "Create 5 Ocean", "Fifth Ocean", 8, 70, 97, 6, "Key 7");
    row("btnRDXC", "Create RRC", "Russian Robinson Club", 112, 70, 96, 7, "Key 8");
    row("btnRCPW", "Create RCPW", "Radio Club <ПВ>", 216, 70, 95, 8, "Key 9");
    row("btnRadioWave", "Create RadioWave", "Клуб путешественников РадиоВолна", 88, 103, 145, 9,
        "Key 0");
  }

  void layout() {
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QRect, geometry);
    QFETCH(int, tabOrder);
    QFETCH(QString, description);
    TfrmMain form(Paths());
    auto* button = form.findChild<QPushButton*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QAccessibleInterface* told = QAccessible::queryAccessibleInterface(button);
    QVERIFY(told);
    QCOMPARE(told->role(), QAccessible::Button);
    QCOMPARE(told->text(QAccessible::Name), caption);
    QCOMPARE(told->text(QAccessible::Description), description);
    QCOMPARE(button->toolTip(), hint);
    // A hint that Qt took for markup would show as an empty or mangled tooltip.
    QVERIFY(!Qt::mightBeRichText(hint));
    QCOMPARE(button->geometry(), geometry);
    QVERIFY(!(button->focusPolicy() & Qt::TabFocus));
    // The tab order: the buttons follow one another in the focus chain in table order.
    const QList<QPushButton*> buttons = form.findChildren<QPushButton*>();
    int position = 0;
    for (QWidget* w = form.nextInFocusChain(); w != &form; w = w->nextInFocusChain()) {
      if (w == button) break;
      if (buttons.contains(qobject_cast<QPushButton*>(w))) ++position;
    }
    QCOMPARE(position, tabOrder);
  }

  void progressBarPlace() {
    TfrmMain form(Paths());
    QCOMPARE(form.ProgressBar->objectName(), QStringLiteral("ProgressBar"));
    QCOMPARE(form.ProgressBar->geometry(), QRect(8, 134, 303, 24));
    QCOMPARE(form.ProgressBar->InteriorRect().width(), 301);
  }

  void tabNeverFocusesAButton() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    auto isButton = [] {
      return qobject_cast<QPushButton*>(QApplication::focusWidget()) != nullptr;
    };
    for (int i = 0; i < 12; ++i) QTest::keyClick(&form, Qt::Key_Tab);
    QVERIFY(!isButton());
    // A button focused by a click does not hand the focus on to another by Tab.
    form.btnAGB->setFocus(Qt::MouseFocusReason);
    for (int i = 0; i < 12; ++i) QTest::keyClick(&form, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() == nullptr || QApplication::focusWidget() == form.btnAGB);
  }

  // Keys 1 to 9 and 0 press the buttons in the window's order, from the main block and from the
  // keypad, wherever the focus is; with a modifier, or held down, they start nothing.
  void keysPressTheButtons() {
    TfrmMain form(Paths());
    std::vector<TSourceId> runs;
    form.ImportRun = [&](TSourceId id, brevak::TImportHost&) { runs.push_back(id); };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const Qt::Key keys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
                            Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_0};
    const std::vector<TSourceId> windowOrder = {
        TSourceId::Hamlog, TSourceId::SRR,      TSourceId::KDR,       TSourceId::AGB,
        TSourceId::ARCK,   TSourceId::RCWC,     TSourceId::FiveOcean, TSourceId::RRC,
        TSourceId::RCPW,   TSourceId::RadioWave};
    for (const Qt::KeyboardModifiers block : {Qt::NoModifier, Qt::KeypadModifier}) {
      runs.clear();
      for (const Qt::Key key : keys) QTest::keyClick(&form, key, block);
      QVERIFY(runs == windowOrder);
    }
    runs.clear();
    form.btnAGB->setFocus(Qt::MouseFocusReason);  // a button focused by a click passes them on
    QTest::keyClick(form.btnAGB, Qt::Key_2);
    QVERIFY(runs == std::vector<TSourceId>{TSourceId::SRR});
    QTest::keyClick(&form, Qt::Key_3, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_3, Qt::AltModifier);
    QTest::keyPress(&form, Qt::Key_4);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_4, Qt::NoModifier, QStringLiteral("4"), true);
    QApplication::sendEvent(&form, &repeat);
    QVERIFY(runs == (std::vector<TSourceId>{TSourceId::SRR, TSourceId::AGB}));
  }

  // A screen reader hears a window named by its title, and a named progress bar with its value.
  void screenReadersHearTheWindowAndTheBar() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    QVERIFY(window);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Brevak.ini"));
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(form.ProgressBar);
    QVERIFY(bar);
    QCOMPARE(bar->role(), QAccessible::ProgressBar);
    QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Import progress"));
    QAccessibleValueInterface* value = bar->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->minimumValue().toInt(), 0);
    QCOMPARE(value->maximumValue().toInt(), 100);
    form.SetPercent(37);
    QCOMPARE(value->currentValue().toInt(), 37);
    form.SetPercent(100);
    QCOMPARE(value->currentValue().toInt(), 100);
    QCOMPARE(bar->text(QAccessible::Value), QStringLiteral("100%"));
  }

  void fill_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("interior");
    QTest::addColumn<int>("fill");
    QTest::newRow("37 of 301") << 37 << 301 << 111;
    QTest::newRow("0") << 0 << 301 << 0;
    QTest::newRow("1 rounds down") << 1 << 301 << 3;
    QTest::newRow("99") << 99 << 301 << 298;
    QTest::newRow("half to even, down") << 50 << 301 << 150;
    QTest::newRow("half to even, up") << 50 << 3 << 2;
    QTest::newRow("half to even, 2.5") << 50 << 5 << 2;
    QTest::newRow("100") << 100 << 301 << 301;
    QTest::newRow("101") << 101 << 301 << 301;
    QTest::newRow("200") << 200 << 301 << 301;
    QTest::newRow("65535") << 65535 << 301 << 301;
  }

  void fill() {
    QFETCH(int, value);
    QFETCH(int, interior);
    QFETCH(int, fill);
    QCOMPARE(ProgressFillWidth(static_cast<std::uint16_t>(value), interior), fill);
  }

  void percentKeepsSixteenBits_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("stored");
    QTest::newRow("-1") << -1 << 65535;
    QTest::newRow("65536") << 65536 << 0;
    QTest::newRow("70000") << 70000 << 4464;
    QTest::newRow("-65536") << -65536 << 0;
  }

  void percentKeepsSixteenBits() {
    QFETCH(int, value);
    QFETCH(int, stored);
    TProgressBar bar;
    bar.resize(303, 24);
    bar.SetPercent(value);
    QCOMPARE(int(bar.Percent()), stored);
  }

  // What the user sees: the filled part ends where the rule says, and the label is drawn navy over
  // the unfilled part and white over the filled part.
  void drawing_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("label");
    QTest::newRow("0") << 0 << "0%";
    QTest::newRow("37") << 37 << "37%";
    QTest::newRow("100") << 100 << "100%";
    QTest::newRow("101") << 101 << "101%";
    QTest::newRow("200") << 200 << "200%";
    QTest::newRow("-1") << -1 << "65535%";
  }

  void drawing() {
    QFETCH(int, value);
    QFETCH(QString, label);
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TProgressBar* bar = form.ProgressBar;
    bar->SetPercent(value);
    QCOMPARE(bar->Label(), label);
    const QImage image = bar->grab().toImage();
    const QRect interior = bar->InteriorRect();
    const int fill = bar->FilledWidth();
    // Along the top row of the interior (clear of the label): filled pixels have no red, unfilled
    // ones are near white.
    const int y = interior.top() + 1;
    if (fill > 0) QCOMPARE(qRed(image.pixel(interior.left() + fill - 1, y)), 0);
    if (fill < interior.width()) QVERIFY(qRed(image.pixel(interior.left() + fill, y)) > 200);
    const QRect middle(interior.left() + 100, interior.top() + 4, 100, interior.height() - 8);
    if (fill == interior.width()) {
      QVERIFY(AnyPixel(image, middle, IsWhitish));  // a white label over the filled part
    }
    if (fill == 0) QVERIFY(AnyPixel(image, middle, IsNavyish));  // a navy label over white
  }

  void repaintsOnlyOnChange() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    TPaintCounter counter;
    form.ProgressBar->installEventFilter(&counter);
    form.SetPercent(5);
    QCOMPARE(counter.Count, 1);  // drawn at once, not at the next pass of the message loop
    form.SetPercent(5);
    form.SetPercent(65541);  // 5 again, in 16 bits
    QCOMPARE(counter.Count, 1);
    form.SetPercent(6);
    QCOMPARE(counter.Count, 2);
  }

  void startUp() {
    for (const char* name : {"brevak.ini", "prog.ini"}) {
      QFile file(FilePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("[Hamlog]\r\n");
    }
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!QFile::exists(FilePath("brevak.ini")));
    QVERIFY(QFile::exists(FilePath("prog.ini")));
    QCOMPARE(int(form.ProgressBar->Percent()), 0);
    QVERIFY(form.SkinManager1->Active());
  }

  // The real window and the real window layer: moved, closed, created again, it opens with its
  // frame's top-left corner where it was left. (The offscreen platform gives windows a thin frame,
  // so frame and client area differ here too.)
  void reopensWhereItWasLeft() {
    const QPoint where(123, 87);
    QSize frame;
    {
      TfrmMain form(Paths());
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      form.move(where);
      // A window manager answers a move when it gets to it.
      QTRY_COMPARE(form.frameGeometry().topLeft(), where);
      frame = form.frameGeometry().size();
      QVERIFY(form.close());
    }
    QFile ini(FilePath("prog.ini"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    QVERIFY(text.startsWith("[TfrmMain]\r\nFormVersion=0\r\n"));
    const QByteArray norm = QStringLiteral("\r\nNormPos=123,87,%1,%2\r\n")
                                .arg(123 + frame.width())
                                .arg(87 + frame.height())
                                .toLatin1();
    QVERIFY(text.contains(norm));
    QVERIFY(text.contains("\r\nVisible=0\r\n"));
    TfrmMain again(Paths());
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    // The window may be exposed before the window manager has said where it put the frame.
    QTRY_COMPARE(again.frameGeometry().topLeft(), where);
    QTRY_VERIFY(again.geometry().topLeft() != where);  // the frame, not the client area, is placed
    QCOMPARE(again.size(), QSize(319, 166));
    QVERIFY(FErrors.empty());
  }

  // The same on a real X server with a window manager, where a window that is not on screen yet
  // does not know its frame: this binary runs the test above under Xvfb and Openbox, then opens
  // the window with a position far below and right of the screen, whose frame (title bar
  // included) must end up in the screen's bottom-right corner, and with one above and left of
  // it, which must put the frame in the top-left corner rather than where Openbox would.
  void reopensWhereItWasLeftOnX() {
    if (qEnvironmentVariableIsSet("BREVAK_UNDER_X")) QSKIP("already the run under X");
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString wm = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    const QString xprop = QStandardPaths::findExecutable(QStringLiteral("xprop"));
    if (xvfb.isEmpty() || wm.isEmpty() || xprop.isEmpty())
      QSKIP("needs xvfb-run, openbox and xprop");
    const QString script = QStringLiteral(
        "openbox --sm-disable >/dev/null 2>&1 & wm=$!\n"
        "for i in $(seq 300); do\n"
        "  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break\n"
        "  sleep 0.1\n"
        "done\n"
        "export BREVAK_UNDER_X=1 QT_QPA_PLATFORM=xcb\n"
        "\"$0\" reopensWhereItWasLeft; rc=$?\n"
        "BREVAK_SAVED_POS=3000,2000 \"$0\" shownWhere || rc=1\n"
        "BREVAK_SAVED_POS=-3,-30 \"$0\" shownWhere || rc=1\n"
        "kill $wm\n"
        "exit $rc\n");
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(xvfb, {QStringLiteral("-a"), QStringLiteral("-s"),
                     QStringLiteral("-screen 0 1024x768x24"), QStringLiteral("sh"),
                     QStringLiteral("-c"), script, QCoreApplication::applicationFilePath()});
    QVERIFY(run.waitForFinished(120000));
    const QByteArray output = run.readAll();
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("PASS   : TMainWindowTest::reopensWhereItWasLeft()"),
             output.constData());
    const QList<QRect> frames = ShownFrames(output);
    QVERIFY2(frames.size() == 2, output.constData());
    QVERIFY2(frames[0].height() > 166, output.constData());  // the window manager's title bar
    QCOMPARE(frames[0].bottomRight(), QPoint(1023, 767));
    QCOMPARE(frames[1].topLeft(), QPoint(0, 0));
  }

  // The saved position against screens of set sizes (the offscreen platform's screens, each row
  // in a process of its own): the frame opens wholly in the available area of the screen it
  // overlaps most, or of the primary (first) screen when it overlaps none. The offscreen
  // platform's frame is 323 x 170 (321 x 168 at scale 2).
  void opensOnAScreen_data() {
    QTest::addColumn<QString>("screens");  // x,y,width,height;...
    QTest::addColumn<int>("scale");        // QT_SCALE_FACTOR
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QPoint>("shown");
    const QString wide = QStringLiteral("0,0,1280,800");
    const QString two = QStringLiteral("0,0,1280,800;1280,0,1024,768");
    QTest::newRow("on screen: kept") << wide << 1 << "100,200,425,395" << QPoint(100, 200);
    QTest::newRow("beyond the bottom-right corner") << wide << 1 << "3000,2000" << QPoint(957, 630);
    QTest::newRow("title bar above the screen") << wide << 1 << "-3,-30" << QPoint(0, 0);
    QTest::newRow("partly off the right edge") << wide << 1 << "1100,300" << QPoint(957, 300);
    // 1280 x 800 pixels are 640 x 400 at scale 2.
    QTest::newRow("saved at scale 1, opened at scale 2")
        << wide << 2 << "900,500,1223,670" << QPoint(319, 232);
    QTest::newRow("on the second screen") << two << 1 << "1500,100" << QPoint(1500, 100);
    QTest::newRow("off the second screen's edge") << two << 1 << "2200,700" << QPoint(1981, 598);
    QTest::newRow("across two screens: the one it covers more")
        << two << 1 << "1200,100" << QPoint(1280, 100);
    QTest::newRow("on no screen: the primary, not the nearest")
        << two << 1 << "5000,100" << QPoint(957, 100);
    QTest::newRow("a screen above the primary one")
        << QStringLiteral("0,0,1280,800;0,-768,1024,768") << 1 << "100,-500" << QPoint(100, -500);
    QTest::newRow("larger than the screen: its top-left corner")
        << QStringLiteral("0,0,1280,800;1280,0,300,150") << 1 << "1300,20" << QPoint(1280, 0);
  }

  void opensOnAScreen() {
    QFETCH(QString, screens);
    QFETCH(int, scale);
    QFETCH(QString, saved);
    QFETCH(QPoint, shown);
    QJsonArray list;
    for (const QString& screen : screens.split(u';')) {
      const QStringList n = screen.split(u',');
      list.append(QJsonObject{{"name", QStringLiteral("S%1").arg(list.size())},
                              {"x", n[0].toInt()},
                              {"y", n[1].toInt()},
                              {"width", n[2].toInt()},
                              {"height", n[3].toInt()},
                              {"logicalDpi", 96}});
    }
    QFile config(FilePath("screens.json"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QJsonDocument(QJsonObject{{"screens", list}}).toJson());
    config.close();
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               QStringLiteral("offscreen:configfile=") + config.fileName());
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    env.insert(QStringLiteral("BREVAK_SAVED_POS"), saved);
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(), {QStringLiteral("shownWhere")});
    QVERIFY(run.waitForFinished(60000));
    const QByteArray output = run.readAll();
    QVERIFY2(run.exitCode() == 0, output.constData());
    const QList<QRect> frames = ShownFrames(output);
    QVERIFY2(frames.size() == 1, output.constData());
    const QRect frame = frames[0];
    QCOMPARE(frame.size(), scale == 1 ? QSize(323, 170) : QSize(321, 168));
    QCOMPARE(frame.topLeft(), shown);
  }

  // Run by the two tests above in a process of their own: opens the window with the saved
  // position it is given and prints where its frame went, once the frame is wholly on a screen
  // (or after a while, if it never is).
  void shownWhere() {
    const QByteArray saved = qgetenv("BREVAK_SAVED_POS");
    if (saved.isEmpty()) QSKIP("run by opensOnAScreen and reopensWhereItWasLeftOnX");
    QFile ini(FilePath("prog.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[TfrmMain]\r\nNormPos=" + saved + "\r\n");
    ini.close();
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto onAScreen = [&] {
      const QRect frame = form.frameGeometry();
      if (frame.size() == form.size()) return false;  // the window manager has not said yet
      for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(frame)) return true;
      return false;
    };
    const bool settled = QTest::qWaitFor(onAScreen, 10000);
    const QRect frame = form.frameGeometry();
    qInfo("shown at %d,%d size %dx%d%s", frame.x(), frame.y(), frame.width(), frame.height(),
          settled ? "" : " (not wholly on a screen)");
    QVERIFY(FErrors.empty());
  }

  // Under a Wayland compositor (weston, headless): the desktop shell maximizes the window when the
  // title bar's button asks (a compositor disconnects a program whose maximized window keeps
  // another size), the kiosk shell gives every window the whole screen at once. Each time the
  // window survives and closes normally, saving prog.ini.
  void survivesWaylandCompositors_data() {
    QTest::addColumn<QString>("shell");
    QTest::addColumn<QString>("asks");
    QTest::newRow("desktop shell, maximized") << "desktop-shell.so"
                                              << "maximize";
    QTest::newRow("desktop shell, full screen") << "desktop-shell.so"
                                                << "fullscreen";
    QTest::newRow("kiosk shell") << "kiosk-shell.so"
                                 << "";
  }

  void survivesWaylandCompositors() {
    QFETCH(QString, shell);
    QFETCH(QString, asks);
    if (qEnvironmentVariableIsSet("BREVAK_UNDER_WAYLAND")) QSKIP("already the run under Wayland");
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty()) QSKIP("needs weston");
    const QString runtime = FDir->filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkdir(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    QProcess compositor;
    compositor.setProcessEnvironment(env);
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    compositor.start(weston, {QStringLiteral("--backend=headless-backend.so"),
                              QStringLiteral("--socket=brevak-test"), QStringLiteral("--no-config"),
                              QStringLiteral("--idle-time=0"), QStringLiteral("--width=1024"),
                              QStringLiteral("--height=768"), QStringLiteral("--shell=") + shell});
    QVERIFY(compositor.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime + QStringLiteral("/brevak-test.lock")) ||
                                 compositor.state() != QProcess::Running,
                             30000);
    QVERIFY2(compositor.state() == QProcess::Running, compositor.readAll().constData());
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("brevak-test"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("BREVAK_UNDER_WAYLAND"), asks.isEmpty() ? QStringLiteral("-") : asks);
    QProcess run;
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(), {QStringLiteral("underWayland")});
    const bool finished = run.waitForFinished(120000);
    compositor.terminate();
    compositor.waitForFinished(10000);
    const QByteArray output = run.readAll() + compositor.readAll();
    QVERIFY2(finished && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
             output.constData());
    QVERIFY2(output.contains("PASS   : TMainWindowTest::underWayland()"), output.constData());
  }

  // Run by the test above in a process of its own: the window under the compositor, maximized
  // or made full screen as asked, back to normal, and closed.
  void underWayland() {
    const QByteArray asks = qgetenv("BREVAK_UNDER_WAYLAND");
    if (asks.isEmpty()) QSKIP("run by survivesWaylandCompositors");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    {
      TfrmMain form(Paths());
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      if (asks != "-") {
        form.setWindowState(asks == "maximize" ? Qt::WindowMaximized : Qt::WindowFullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(form.width() > 319, 20000);  // the compositor's size
        form.setWindowState(Qt::WindowNoState);
      }
      if (asks == "-") QTRY_VERIFY_WITH_TIMEOUT(form.width() > 319, 20000);  // the whole screen
      if (asks != "-") QTRY_COMPARE_WITH_TIMEOUT(form.size(), QSize(319, 166), 20000);
      QVERIFY(form.close());
    }
    QFile ini(FilePath("prog.ini"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    QVERIFY2(text.startsWith("[TfrmMain]\r\nFormVersion=0\r\n"), text.constData());
    QVERIFY2(!text.contains("NormPos"), text.constData());  // Wayland does not say where it was
    QVERIFY(FErrors.empty());
  }

  void buttonsRunTheirSources() {
    TfrmMain form(Paths());
    std::vector<TSourceId> runs;
    form.ImportRun = [&](TSourceId id, brevak::TImportHost& host) {
      runs.push_back(id);
      host.SetPercent(42);
    };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPushButton* order[] = {form.btnHamlog, form.btnSRR,      form.btnKDR,    form.btnAGB,
                                  form.btnARCK,   form.btnRCWC,     form.btn5Ocean, form.btnRDXC,
                                  form.btnRCPW,   form.btnRadioWave};
    for (const QPushButton* button : order)
      QTest::mouseClick(const_cast<QPushButton*>(button), Qt::LeftButton);
    const std::vector<TSourceId> expected = {TSourceId::Hamlog,    TSourceId::SRR,  TSourceId::KDR,
                                             TSourceId::AGB,       TSourceId::ARCK, TSourceId::RCWC,
                                             TSourceId::FiveOcean, TSourceId::RRC,  TSourceId::RCPW,
                                             TSourceId::RadioWave};
    QVERIFY(runs == expected);
    QCOMPARE(int(form.ProgressBar->Percent()), 42);
  }

  // Clicks that arrive while a run processes messages start nothing and leave the run alone.
  void clicksDuringARunAreRefused() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    std::vector<TSourceId> runs;
    form.ImportRun = [&](TSourceId id, brevak::TImportHost& host) {
      runs.push_back(id);
      for (int line = 1; line <= 3; ++line) {
        QTest::mouseClick(form.btnSRR, Qt::LeftButton);
        QTest::mouseClick(form.btnHamlog, Qt::LeftButton);
        host.SetPercent(line * 25);
        host.ProcessMessages();
        QVERIFY(form.ImportRunning());
      }
    };
    QTest::mouseClick(form.btnKDR, Qt::LeftButton);
    QVERIFY(runs == std::vector<TSourceId>{TSourceId::KDR});
    QCOMPARE(int(form.ProgressBar->Percent()), 75);
    QVERIFY(!form.ImportRunning());
    QTest::mouseClick(form.btnSRR, Qt::LeftButton);  // after the run, a click runs again
    QCOMPARE(runs.size(), std::size_t(2));
  }

  void closingWaitsForTheRun() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    bool openAtTheEndOfTheRun = false;
    form.ImportRun = [&](TSourceId, brevak::TImportHost& host) {
      QVERIFY(!form.close());
      host.ProcessMessages();
      openAtTheEndOfTheRun = form.isVisible();
    };
    QTest::mouseClick(form.btnAGB, Qt::LeftButton);
    QVERIFY(openAtTheEndOfTheRun);
    QVERIFY(!form.isVisible());  // closed once the run was over
  }

  void anErrorEndingARunGoesToTheErrorBox() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    int runs = 0;
    form.ImportRun = [&](TSourceId, brevak::TImportHost&) {
      if (++runs == 1)
        throw brevak::Exception("Cannot create file \"/x/brevak.ini\". Permission denied");
    };
    QTest::mouseClick(form.btnRCPW, Qt::LeftButton);
    QCOMPARE(FErrors.size(), std::size_t(1));
    QCOMPARE(FErrors[0].Caption, ApplicationTitle());
    QCOMPARE(FErrors[0].Text,
             QStringLiteral("Cannot create file \"/x/brevak.ini\". Permission denied."));
    QVERIFY(form.isVisible());
    QTest::mouseClick(form.btnRCPW, Qt::LeftButton);  // still usable
    QCOMPARE(runs, 2);
    QCOMPARE(FErrors.size(), std::size_t(1));
  }

  // While a button's fetch waits for a slow loopback server the window keeps processing its
  // events: timers fire and it repaints.
  void eventsAreProcessedWhileTheFetchWaits() {
    using namespace brevak::test;
    TScriptedServer server(
        {Pause(700), Send("HTTP/1.0 200 OK\r\n\r\nUA1AAA\r\nUA1AAB\r\n"), Close()});
    PointSRRAt(server.Port());
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TPaintCounter paints;
    form.installEventFilter(&paints);
    bool firedDuringTheRun = false;
    int paintsBefore = -1;
    bool repaintedDuringTheRun = false;
    QTimer::singleShot(150, &form, [&] {
      firedDuringTheRun = form.ImportRunning();
      paintsBefore = paints.Count;
      form.update();
      // Clicks on the nine other buttons while the fetch is stalled start nothing (their sources
      // have no host: a run of any of them would end in an error box).
      for (QPushButton* other :
           {form.btnHamlog, form.btnKDR, form.btnAGB, form.btnARCK, form.btnRCWC, form.btn5Ocean,
            form.btnRDXC, form.btnRCPW, form.btnRadioWave})
        QTest::mouseClick(other, Qt::LeftButton);
    });
    QTimer::singleShot(400, &form, [&] {
      repaintedDuringTheRun = form.ImportRunning() && paints.Count > paintsBefore;
    });
    QTest::mouseClick(form.btnSRR, Qt::LeftButton);
    QVERIFY(firedDuringTheRun);
    QVERIFY(repaintedDuringTheRun);
    QVERIFY(FErrors.empty());
    QFile list(FilePath("brevak.ini"));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), QByteArray("[SRR]\r\nUA1AAA=SRR Member\r\nUA1AAB=SRR Member\r\n"));
  }

  // A close during the wait ends the run at once, with no error box and the list file saved as
  // after a failed fetch.
  void aCloseDuringTheWaitEndsTheRunAtOnce() {
    using namespace brevak::test;
    TScriptedServer server({Hold(10000)});  // accepts and never answers
    PointSRRAt(server.Port());
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QElapsedTimer sinceClose;
    bool refused = false;
    QTimer::singleShot(200, &form, [&] {
      sinceClose.start();
      refused = !form.close();
    });
    QTest::mouseClick(form.btnSRR, Qt::LeftButton);
    const qint64 ms = sinceClose.elapsed();
    QVERIFY(refused);                                      // the close waited for the run ...
    QVERIFY2(ms < 2000, qPrintable(QString::number(ms)));  // ... which ended at once
    QVERIFY(!form.isVisible());
    QVERIFY(FErrors.empty());
    QFile list(FilePath("brevak.ini"));
    QVERIFY(list.exists());
    QCOMPARE(list.size(), qint64(0));
    QVERIFY(QFile::exists(FilePath("prog.ini")));
    QVERIFY(server.Accepted());
  }
};

QTEST_MAIN(TMainWindowTest)
#include "main_qtest.moc"
