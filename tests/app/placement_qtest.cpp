// The placement store against a fake window layer: what it writes to "prog.ini" and when, what it
// applies from it, and how it rides on the window's show, close-query and destroy events.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "app/errorbox.h"
#include "app/placement.h"
#include "listfile/profile.h"

using brevak::fpPosition;
using brevak::SetErrorPresenter;
using brevak::SM_CXBORDER;
using brevak::SM_CXSCREEN;
using brevak::SM_CYBORDER;
using brevak::SM_CYSCREEN;
using brevak::SW_HIDE;
using brevak::SW_SHOWNORMAL;
using brevak::TForm;
using brevak::TFormStorage;
using brevak::TRect;
using brevak::TSystemMetric;
using brevak::TWindowLayer;
using brevak::TWindowPlacement;

namespace {

// A window the store serves; its class name names the section.
class TfrmTest : public TForm {
  Q_OBJECT
};

// The windowing system as the store sees it: a frame at 50,60 of 325 x 195 on a 1920 x 1080
// screen at 96 pixels per inch, not on screen during its first show.
class TFakeWindowLayer : public TWindowLayer {
public:
  TWindowPlacement Placement = Initial();
  QRect Bounds{50, 60, 325, 195};
  bool Visible = false;
  bool Iconic = false;
  int ScreenWidth = 1920;
  int ScreenHeight = 1080;
  int Ppi = 96;
  std::vector<TWindowPlacement> Applied;

  static TWindowPlacement Initial() {
    TWindowPlacement p;
    p.ptMinPosition = {-1, -1};
    p.ptMaxPosition = {-1, -1};
    return p;
  }

  TWindowPlacement GetWindowPlacement(QWidget*) override {
    TWindowPlacement p = Placement;
    p.showCmd = SW_SHOWNORMAL;
    p.rcNormalPosition = {Bounds.left(), Bounds.top(), Bounds.left() + Bounds.width(),
                          Bounds.top() + Bounds.height()};
    return p;
  }
  void SetWindowPlacement(QWidget*, const TWindowPlacement& p) override {
    Applied.push_back(p);
    Placement = p;
    Bounds.moveTo(p.rcNormalPosition.Left, p.rcNormalPosition.Top);
  }
  bool IsWindowVisible(QWidget*) override { return Visible; }
  bool IsIconic(QWidget*) override { return Iconic; }
  bool HandleAllocated(QWidget*) override { return true; }
  QRect WindowBounds(QWidget*) override { return Bounds; }
  int GetSystemMetrics(TSystemMetric metric) override {
    switch (metric) {
      case SM_CXSCREEN:
        return ScreenWidth;
      case SM_CYSCREEN:
        return ScreenHeight;
      case SM_CXBORDER:
      case SM_CYBORDER:
        return 1;
      default:
        return 5;
    }
  }
  int PixelsPerInch() override { return Ppi; }
  bool ReportsPositions() override { return PositionsKnown; }
  bool PositionsKnown = true;
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
  std::unique_ptr<QTemporaryDir> FDir;
  QString FIni;
  TFakeWindowLayer FLayer;
  std::unique_ptr<TfrmTest> FForm;
  TFormStorage* FStore = nullptr;
  QStringList FErrors;
  QStringList FCalls;  // the window's own handlers, in the order they ran

  // A window with its own show handler (recording where the window is when it runs), then the
  // store hooked on it, as the main window is built.
  void CreateForm() {
    FForm = std::make_unique<TfrmTest>();
    FForm->OnShow = [this] {
      FCalls
          << QStringLiteral("FormShow at %1,%2").arg(FLayer.Bounds.left()).arg(FLayer.Bounds.top());
    };
    FStore = new TFormStorage(FForm.get(), &FLayer);
    FStore->Options = fpPosition;
    FStore->IniFileName = FIni.toStdString();
  }

  std::string Key(const char* key) {
    return brevak::ReadProfileString(FIni.toStdString(), "TfrmTest", key, "<none>");
  }

private slots:
  void init() {
    FDir = std::make_unique<QTemporaryDir>();
    FIni = FDir->filePath(QStringLiteral("prog.ini"));
    FLayer = TFakeWindowLayer();
    FErrors.clear();
    FCalls.clear();
    SetErrorPresenter([this](const QString&, const QString& text) { FErrors << text; });
    CreateForm();
  }

  void cleanup() {
    FForm.reset();
    SetErrorPresenter(nullptr);
  }

  void firstStartThenClose() {
    QCOMPARE(FStore->Section(), std::string("TfrmTest"));
    FForm->show();
    QVERIFY(!QFile::exists(FIni));  // the restore writes nothing
    QVERIFY(FStore->FRestored);
    FLayer.Visible = true;
    QVERIFY(FForm->close());
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
    QCOMPARE(ReadFile(FIni), expected);
    QVERIFY(FStore->FSaved);
    FForm.reset();  // a save completed: destroying the window writes nothing more
    QCOMPARE(ReadFile(FIni), expected);
    QVERIFY(FErrors.isEmpty());
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
    WriteFile(FIni, "[TfrmTest]\r\n" + section + "\r\n");
    FForm->show();
    QVERIFY(FStore->FRestored);
    // The stored position is in place when the window's own show handler runs.
    QCOMPARE(FCalls,
             QStringList{QStringLiteral("FormShow at %1,%2").arg(topLeft.x()).arg(topLeft.y())});
    // One application for the stored position, one for the maximized position, always.
    QCOMPARE(int(FLayer.Applied.size()), applied ? 2 : 1);
    if (applied) {
      const TRect r = FLayer.Applied[0].rcNormalPosition;
      QCOMPARE(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top),
               QRect(topLeft, QSize(325, 195)));          // the window keeps its own size
      QCOMPARE(FLayer.Applied[0].showCmd, int(SW_HIDE));  // not on screen yet: stays hidden
    }
    const TWindowPlacement last = FLayer.Applied.back();
    QCOMPARE(last.ptMaxPosition.x, -1);
    QCOMPARE(last.ptMaxPosition.y, -1);
    QCOMPARE(last.showCmd, int(SW_HIDE));
    QVERIFY(FErrors.isEmpty());
  }

  // A desktop that does not tell where windows are (Wayland): the positions saved under one that
  // did are kept, every other key is written as always.
  void positionsKeptWhereTheDesktopDoesNotTell() {
    const QByteArray saved =
        "[TfrmTest]\r\n"
        "MinMaxPos(1920x1080)=-1,-1,-1,-1\r\n"
        "MinMaxPos=-1,-1,-1,-1\r\n"
        "NormPos(1920x1080)=100,200,425,395\r\n"
        "NormPos=100,200,425,395\r\n";
    WriteFile(FIni, saved);
    FLayer.PositionsKnown = false;
    FForm->show();
    FLayer.Visible = true;
    FLayer.Bounds.moveTo(-3, -30);  // what the toolkit makes up there
    QVERIFY(FForm->close());
    const QByteArray expected = saved +
                                "FormVersion=0\r\n"
                                "Flags=0\r\n"
                                "ShowCmd=1\r\n"
                                "PixelsPerInch=96\r\n"
                                "Visible=0\r\n";
    QCOMPARE(ReadFile(FIni), expected);
    QVERIFY(FErrors.isEmpty());
  }

  void minMaxPosRead() {
    WriteFile(FIni, "[TfrmTest]\r\nMinMaxPos=1,2,3,4\r\nFlags=0x2\r\n");
    FForm->show();
    QCOMPARE(FLayer.Applied[0].ptMinPosition.x, 1);
    QCOMPARE(FLayer.Applied[0].ptMinPosition.y, 2);
    QCOMPARE(FLayer.Applied[0].ptMaxPosition.x, 3);
    QCOMPARE(FLayer.Applied[0].ptMaxPosition.y, 4);
    QCOMPARE(FLayer.Applied[0].flags, 2);
  }

  void negativeVersionStillWritesOnClose() {
    WriteFile(FIni, "[TfrmTest]\r\nFormVersion=-1\r\nNormPos=100,200\r\n");
    FForm->show();
    FLayer.Visible = true;
    QVERIFY(FForm->close());
    QCOMPARE(Key("FormVersion"), std::string("0"));
    QCOMPARE(Key("NormPos"), std::string("50,60,375,255"));
  }

  void minimizedIsWrittenAsShowCmd2() {
    FForm->show();
    FLayer.Visible = true;
    FLayer.Iconic = true;
    QVERIFY(FForm->close());
    QCOMPARE(Key("ShowCmd"), std::string("2"));
  }

  void otherContentKept() {
    WriteFile(FIni, "[Other]\r\nx=1\r\n[TfrmTest]\r\nNote=mine\r\n");
    FForm->show();
    QVERIFY(FForm->close());
    QCOMPARE(brevak::ReadProfileString(FIni.toStdString(), "Other", "x", ""), std::string("1"));
    QCOMPARE(Key("Note"), std::string("mine"));
    QCOMPARE(Key("Visible"), std::string("0"));
  }

  void neverRestoredNeverWrites() {
    QVERIFY(FForm->close());  // closed without ever being shown
    FForm.reset();
    QVERIFY(!QFile::exists(FIni));
  }

  void windowsOwnCloseQueryComesFirst() {
    FForm->OnCloseQuery = nullptr;  // the store's handler is in place; chain a refusing one
    delete FStore;
    FForm->OnCloseQuery = [this](bool& canClose) {
      FCalls << QStringLiteral("FormCloseQuery");
      canClose = false;
    };
    FStore = new TFormStorage(FForm.get(), &FLayer);
    FStore->IniFileName = FIni.toStdString();
    FForm->show();
    QVERIFY(!FForm->close());
    QCOMPARE(FCalls.last(), QStringLiteral("FormCloseQuery"));
    QVERIFY(!QFile::exists(FIni));  // closing was refused: nothing saved
  }

  void handlersGivenBackWhenTheStoreGoes() {
    delete FStore;
    FStore = nullptr;
    FForm->show();
    QVERIFY(FLayer.Applied.empty());
    QCOMPARE(FCalls, QStringList{QStringLiteral("FormShow at 50,60")});
    QVERIFY(FForm->close());
    QVERIFY(!QFile::exists(FIni));
  }

  void inactiveStoreDoesNothing() {
    FStore->Active = false;
    WriteFile(FIni, "[TfrmTest]\r\nNormPos=100,200\r\n");
    FForm->show();
    QVERIFY(FLayer.Applied.empty());
    QVERIFY(FForm->close());
    FForm.reset();
    QCOMPARE(ReadFile(FIni), QByteArray("[TfrmTest]\r\nNormPos=100,200\r\n"));
  }

  // A path under a regular file can be written by nobody, root included.
  void failedWriteIsReportedAndTheWindowCloses() {
    const QString blocker = FDir->filePath(QStringLiteral("blocker"));
    WriteFile(blocker, "");
    const QString path = blocker + QStringLiteral("/prog.ini");
    FStore->IniFileName = path.toStdString();
    FForm->show();
    FLayer.Visible = true;
    QVERIFY(FForm->close());
    QCOMPARE(FErrors, QStringList{QStringLiteral("Unable to write to ") + path + u'.'});
    QVERIFY(!FStore->FSaved);
    // The folder becomes writable; the save on destroy runs again and says so in "Visible".
    QVERIFY(QFile::remove(blocker));
    QVERIFY(QDir().mkdir(blocker));
    FForm.reset();
    QCOMPARE(brevak::ReadProfileString(path.toStdString(), "TfrmTest", "Visible", ""),
             std::string("1"));
    QCOMPARE(brevak::ReadProfileString(path.toStdString(), "TfrmTest", "FormVersion", ""),
             std::string("0"));
    QCOMPARE(FErrors.size(), 1);
  }

  void destroyRetryFailsToo() {
    const QString blocker = FDir->filePath(QStringLiteral("blocker"));
    WriteFile(blocker, "");
    FStore->IniFileName = (blocker + QStringLiteral("/prog.ini")).toStdString();
    FForm->show();
    QVERIFY(FForm->close());
    FForm.reset();
    QCOMPARE(FErrors.size(), 2);
  }

  // A close replaces the file once, whatever the number of keys: the folder sees one new file
  // moved into place.
  void aCloseWritesTheFileOnce() {
    FForm->show();
    FLayer.Visible = true;
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(FDir->path()).constData(),
                              IN_MOVED_TO | IN_CLOSE_WRITE) >= 0);
    QVERIFY(FForm->close());
    alignas(inotify_event) char events[16384];
    const ssize_t got = read(watch, events, sizeof events);
    close(watch);
    int moves = 0;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if ((event->mask & IN_MOVED_TO) != 0 && QByteArray(event->name) == "prog.ini") ++moves;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    QCOMPARE(moves, 1);
    QCOMPARE(Key("NormPos"), std::string("50,60,375,255"));
    QCOMPARE(Key("Visible"), std::string("0"));
  }

  // A folder in the profile file's place is named at the restore and never written over.
  void aFolderInPlaceOfTheFileIsReported() {
    QVERIFY(QDir().mkdir(FIni));
    FForm->show();
    QCOMPARE(FErrors,
             QStringList{QStringLiteral("Cannot open file \"") + FIni + "\". Is a directory."});
    QVERIFY(!FStore->FRestored);
    QVERIFY(FForm->close());
    FForm.reset();
    QCOMPARE(FErrors.size(), 1);
    QVERIFY(QFileInfo(FIni).isDir());
  }

  void integersOutsideASave() {
    QCOMPARE(FStore->ReadInteger("FormVersion", 7), 7);
    FStore->WriteInteger("FormVersion", -5);
    QCOMPARE(FStore->ReadInteger("FormVersion", 7), -5);
    QCOMPARE(Key("FormVersion"), std::string("-5"));
    FStore->IniSection = "Elsewhere";
    QCOMPARE(FStore->ReadInteger("FormVersion", 7), 7);
  }
};

QTEST_MAIN(TPlacementTest)
#include "placement_qtest.moc"
