// The placement store against a fake window layer: what it writes to "prog.ini" and when, what it
// applies from it, and how it rides on the window's show, close-query and destroy events.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

#include "app/errorbox.h"
#include "app/placement.h"
#include "listfile/profile.h"

namespace {

// A window the store serves; its class name names the section.
class TfrmTest : public TForm {
  Q_OBJECT
};

// The windowing system as the store sees it: a frame at 50,60 of 325 x 195 on a 1920 x 1080
// screen at 96 pixels per inch, not on screen during its first show.
class TFakeWindowLayer : public TWindowLayer {
public:
  TWindowPlacement placement = Initial();
  QRect bounds{50, 60, 325, 195};
  bool visible = false;
  bool iconic = false;
  int screenWidth = 1920;
  int screenHeight = 1080;
  int ppi = 96;
  std::vector<TWindowPlacement> applied;

  static TWindowPlacement Initial() {
    TWindowPlacement p;
    p.ptMinPosition = {-1, -1};
    p.ptMaxPosition = {-1, -1};
    return p;
  }

  TWindowPlacement GetWindowPlacement(QWidget*) override {
    TWindowPlacement p = placement;
    p.showCmd = SW_SHOWNORMAL;
    p.rcNormalPosition = {bounds.left(), bounds.top(), bounds.left() + bounds.width(),
                          bounds.top() + bounds.height()};
    return p;
  }
  void SetWindowPlacement(QWidget*, const TWindowPlacement& p) override {
    applied.push_back(p);
    placement = p;
    bounds.moveTo(p.rcNormalPosition.Left, p.rcNormalPosition.Top);
  }
  bool IsWindowVisible(QWidget*) override { return visible; }
  bool IsIconic(QWidget*) override { return iconic; }
  bool HandleAllocated(QWidget*) override { return true; }
  QRect WindowBounds(QWidget*) override { return bounds; }
  int GetSystemMetrics(TSystemMetric metric) override {
    switch (metric) {
      case SM_CXSCREEN:
        return screenWidth;
      case SM_CYSCREEN:
        return screenHeight;
      case SM_CXBORDER:
      case SM_CYBORDER:
        return 1;
      default:
        return 5;
    }
  }
  int PixelsPerInch() override { return ppi; }
};

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace

class TPlacementTest : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<QTemporaryDir> dir;
  QString ini;
  TFakeWindowLayer layer;
  std::unique_ptr<TfrmTest> form;
  TFormStorage* store = nullptr;
  QStringList errors;
  QStringList calls;  // the window's own handlers, in the order they ran

  // A window with its own show handler (recording where the window is when it runs), then the
  // store hooked on it, as the main window is built.
  void CreateForm() {
    form = std::make_unique<TfrmTest>();
    form->OnShow = [this] {
      calls << QStringLiteral("FormShow at %1,%2").arg(layer.bounds.left()).arg(layer.bounds.top());
    };
    store = new TFormStorage(form.get(), &layer);
    store->Options = fpPosition;
    store->IniFileName = ini.toStdString();
  }

  std::string Key(const char* key) {
    return brevak::ReadProfileString(ini.toStdString(), "TfrmTest", key, "<none>");
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    ini = dir->filePath(QStringLiteral("prog.ini"));
    layer = TFakeWindowLayer();
    errors.clear();
    calls.clear();
    SetErrorPresenter([this](const QString&, const QString& text) { errors << text; });
    CreateForm();
  }

  void cleanup() {
    form.reset();
    SetErrorPresenter(nullptr);
  }

  void firstStartThenClose() {
    QCOMPARE(store->Section(), std::string("TfrmTest"));
    form->show();
    QVERIFY(!QFile::exists(ini));  // the restore writes nothing
    QVERIFY(store->FRestored);
    layer.visible = true;
    QVERIFY(form->close());
    const QByteArray expected =
        "[TfrmTest]\r\n"
        "FormVersion=0\r\n"
        "Flags=0\r\n"
        "ShowCmd=1\r\n"
        "PixelsPerInch=96\r\n"
        "MinMaxPos(1920x1080)=-1,-1,-1,-1\r\n"
        "MinMaxPos=-1,-1,-1,-1\r\n"
        "NormPos(1920x1080)=50,60,375,255\r\n"
        "NormPos=50,60,375,255\r\n"
        "Visible=0\r\n";
    QCOMPARE(ReadFile(ini), expected);
    QVERIFY(store->FSaved);
    form.reset();  // a save completed: destroying the window writes nothing more
    QCOMPARE(ReadFile(ini), expected);
    QVERIFY(errors.isEmpty());
  }

  void restore_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QPoint>("topLeft");
    const QPoint here(50, 60);
    QTest::newRow("four words, other size")
        << QByteArray("NormPos=300,310,9,9") << true << QPoint(300, 310);
    QTest::newRow("two words") << QByteArray("NormPos=100,200") << true << QPoint(100, 200);
    QTest::newRow("hex and negative") << QByteArray("NormPos=0x64,-20") << true << QPoint(100, -20);
    QTest::newRow("words all invalid") << QByteArray("NormPos=a,b,c,d") << true << here;
    QTest::newRow("names in any case") << QByteArray("normpos=100,200") << true << QPoint(100, 200);
    QTest::newRow("MinMaxPos alone") << QByteArray("MinMaxPos=1,2,3,4") << true << here;
    QTest::newRow("this screen's key first")
        << QByteArray("NormPos(1920x1080)=300,310\r\nNormPos=100,200") << true << QPoint(300, 310);
    QTest::newRow("another screen: the plain key")
        << QByteArray("NormPos(1024x768)=300,310\r\nNormPos=100,200") << true << QPoint(100, 200);
    QTest::newRow("empty first choice")
        << QByteArray("NormPos(1920x1080)=\r\nNormPos=100,200") << true << QPoint(100, 200);
    QTest::newRow("same pixels per inch")
        << QByteArray("PixelsPerInch=96\r\nNormPos=100,200") << true << QPoint(100, 200);
    QTest::newRow("other pixels per inch")
        << QByteArray("PixelsPerInch=120\r\nNormPos=100,200") << false << here;
    QTest::newRow("FormVersion abc reads as 0")
        << QByteArray("FormVersion=abc\r\nNormPos=100,200") << true << QPoint(100, 200);
    QTest::newRow("FormVersion -1 skips the restore")
        << QByteArray("FormVersion=-1\r\nNormPos=100,200") << false << here;
    QTest::newRow("no position") << QByteArray("FormVersion=0\r\nFlags=0") << false << here;
    QTest::newRow("another section") << QByteArray("[Other]\r\nNormPos=100,200") << false << here;
  }

  void restore() {
    QFETCH(QByteArray, section);
    QFETCH(bool, applied);
    QFETCH(QPoint, topLeft);
    WriteFile(ini, "[TfrmTest]\r\n" + section + "\r\n");
    form->show();
    QVERIFY(store->FRestored);
    // The stored position is in place when the window's own show handler runs.
    QCOMPARE(calls,
             QStringList{QStringLiteral("FormShow at %1,%2").arg(topLeft.x()).arg(topLeft.y())});
    // One application for the stored position, one for the maximized position, always.
    QCOMPARE(int(layer.applied.size()), applied ? 2 : 1);
    if (applied) {
      const TRect r = layer.applied[0].rcNormalPosition;
      QCOMPARE(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top),
               QRect(topLeft, QSize(325, 195)));         // the window keeps its own size
      QCOMPARE(layer.applied[0].showCmd, int(SW_HIDE));  // not on screen yet: stays hidden
    }
    const TWindowPlacement last = layer.applied.back();
    QCOMPARE(last.ptMaxPosition.x, -1);
    QCOMPARE(last.ptMaxPosition.y, -1);
    QCOMPARE(last.showCmd, int(SW_HIDE));
    QVERIFY(errors.isEmpty());
  }

  void minMaxPosRead() {
    WriteFile(ini, "[TfrmTest]\r\nMinMaxPos=1,2,3,4\r\nFlags=0x2\r\n");
    form->show();
    QCOMPARE(layer.applied[0].ptMinPosition.x, 1);
    QCOMPARE(layer.applied[0].ptMinPosition.y, 2);
    QCOMPARE(layer.applied[0].ptMaxPosition.x, 3);
    QCOMPARE(layer.applied[0].ptMaxPosition.y, 4);
    QCOMPARE(layer.applied[0].flags, 2);
  }

  void negativeVersionStillWritesOnClose() {
    WriteFile(ini, "[TfrmTest]\r\nFormVersion=-1\r\nNormPos=100,200\r\n");
    form->show();
    layer.visible = true;
    QVERIFY(form->close());
    QCOMPARE(Key("FormVersion"), std::string("0"));
    QCOMPARE(Key("NormPos"), std::string("50,60,375,255"));
  }

  void minimizedIsWrittenAsShowCmd2() {
    form->show();
    layer.visible = true;
    layer.iconic = true;
    QVERIFY(form->close());
    QCOMPARE(Key("ShowCmd"), std::string("2"));
  }

  void otherContentKept() {
    WriteFile(ini, "[Other]\r\nx=1\r\n[TfrmTest]\r\nNote=mine\r\n");
    form->show();
    QVERIFY(form->close());
    QCOMPARE(brevak::ReadProfileString(ini.toStdString(), "Other", "x", ""), std::string("1"));
    QCOMPARE(Key("Note"), std::string("mine"));
    QCOMPARE(Key("Visible"), std::string("0"));
  }

  void neverRestoredNeverWrites() {
    QVERIFY(form->close());  // closed without ever being shown
    form.reset();
    QVERIFY(!QFile::exists(ini));
  }

  void windowsOwnCloseQueryComesFirst() {
    form->OnCloseQuery = nullptr;  // the store's handler is in place; chain a refusing one
    delete store;
    form->OnCloseQuery = [this](bool& CanClose) {
      calls << QStringLiteral("FormCloseQuery");
      CanClose = false;
    };
    store = new TFormStorage(form.get(), &layer);
    store->IniFileName = ini.toStdString();
    form->show();
    QVERIFY(!form->close());
    QCOMPARE(calls.last(), QStringLiteral("FormCloseQuery"));
    QVERIFY(!QFile::exists(ini));  // closing was refused: nothing saved
  }

  void handlersGivenBackWhenTheStoreGoes() {
    delete store;
    store = nullptr;
    form->show();
    QVERIFY(layer.applied.empty());
    QCOMPARE(calls, QStringList{QStringLiteral("FormShow at 50,60")});
    QVERIFY(form->close());
    QVERIFY(!QFile::exists(ini));
  }

  void inactiveStoreDoesNothing() {
    store->Active = false;
    WriteFile(ini, "[TfrmTest]\r\nNormPos=100,200\r\n");
    form->show();
    QVERIFY(layer.applied.empty());
    QVERIFY(form->close());
    form.reset();
    QCOMPARE(ReadFile(ini), QByteArray("[TfrmTest]\r\nNormPos=100,200\r\n"));
  }

  // A path under a regular file can be written by nobody, root included.
  void failedWriteIsReportedAndTheWindowCloses() {
    const QString blocker = dir->filePath(QStringLiteral("blocker"));
    WriteFile(blocker, "");
    const QString path = blocker + QStringLiteral("/prog.ini");
    store->IniFileName = path.toStdString();
    form->show();
    layer.visible = true;
    QVERIFY(form->close());
    QCOMPARE(errors, QStringList{QStringLiteral("Unable to write to ") + path + u'.'});
    QVERIFY(!store->FSaved);
    // The folder becomes writable; the save on destroy runs again and says so in "Visible".
    QVERIFY(QFile::remove(blocker));
    QVERIFY(QDir().mkdir(blocker));
    form.reset();
    QCOMPARE(brevak::ReadProfileString(path.toStdString(), "TfrmTest", "Visible", ""),
             std::string("1"));
    QCOMPARE(brevak::ReadProfileString(path.toStdString(), "TfrmTest", "FormVersion", ""),
             std::string("0"));
    QCOMPARE(errors.size(), 1);
  }

  void destroyRetryFailsToo() {
    const QString blocker = dir->filePath(QStringLiteral("blocker"));
    WriteFile(blocker, "");
    store->IniFileName = (blocker + QStringLiteral("/prog.ini")).toStdString();
    form->show();
    QVERIFY(form->close());
    form.reset();
    QCOMPARE(errors.size(), 2);
  }

  void integersOutsideASave() {
    QCOMPARE(store->ReadInteger("FormVersion", 7), 7);
    store->WriteInteger("FormVersion", -5);
    QCOMPARE(store->ReadInteger("FormVersion", 7), -5);
    QCOMPARE(Key("FormVersion"), std::string("-5"));
    store->IniSection = "Elsewhere";
    QCOMPARE(store->ReadInteger("FormVersion", 7), 7);
  }
};

QTEST_MAIN(TPlacementTest)
#include "placement_qtest.moc"
