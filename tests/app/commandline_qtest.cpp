// The window-free import runner's output, with stand-in imports; the program run as a whole is
// tested in import_e2e_qtest.cpp.
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <stdexcept>

#include "app/commandline.h"
#include "base/exepath.h"

using brevak::TSourceId;

class TCommandLineTest : public QObject {
  Q_OBJECT
private slots:
  // A bar per source over its own line on a terminal; errors as the error box words them, after
  // which the next source still runs.
  void importsReportProgressAndErrorsInOrder() {
    QTemporaryDir dir;
    brevak::SetExeDirForTesting(dir.path().toStdString());
    std::FILE* err = std::tmpfile();
    QVector<TSourceId> ran;
    auto import = [&](TSourceId source, brevak::TImportHost& host) {
      ran << source;
      if (source == TSourceId::SRR) throw std::runtime_error("Could not fetch \"SRR\": refused");
      host.SetPercent(50);
      host.SetPercent(133);
    };
    int status =
        RunImports({TSourceId::KDR, TSourceId::SRR, TSourceId::FiveOcean}, err, true, import);
    brevak::SetExeDirForTesting("");
    QCOMPARE(status, kExitFailed);
    QCOMPARE(ran, (QVector<TSourceId>{TSourceId::KDR, TSourceId::SRR, TSourceId::FiveOcean}));
    std::rewind(err);
    char buf[1024] = {};
    QByteArray text(buf, static_cast<int>(std::fread(buf, 1, sizeof buf, err)));
    std::fclose(err);
    const QByteArray half = "[###############...............]";
    const QByteArray full = "[##############################]";
    QCOMPARE(text, "\rKDR " + half + " 50%\rKDR " + full + " 133%\n" +
                       "Could not fetch \"SRR\": refused.\n" + "\r5 Ocean " + half +
                       " 50%\r5 Ocean " + full + " 133%\n");
  }

  void noProgressWhenNotAskedAndSuccessIsZero() {
    QTemporaryDir dir;
    brevak::SetExeDirForTesting(dir.path().toStdString());
    std::FILE* err = std::tmpfile();
    int status = RunImports({TSourceId::AGB}, err, false,
                            [](TSourceId, brevak::TImportHost& host) { host.SetPercent(100); });
    brevak::SetExeDirForTesting("");
    QCOMPARE(status, kExitOk);
    QCOMPARE(std::ftell(err), 0L);
    std::fclose(err);
    // The bar keeps its value mod 65536, as the window's does.
    QCOMPARE(ProgressLine("RRC", -1), std::string("RRC [") + std::string(30, '#') + "] 65535%");
  }

  void missingDisplay_data() {
    QTest::addColumn<QStringList>("environment");  // NAME=value
    QTest::addColumn<QString>("reason");
    QTest::newRow("nothing") << QStringList{}
                             << "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    QTest::newRow("a chosen platform") << QStringList{"QT_QPA_PLATFORM=offscreen"} << "";
    QTest::newRow("a dead local display")
        << QStringList{"DISPLAY=:4711.0"} << "no X server answers on display :4711.0";
    QTest::newRow("a remote display") << QStringList{"DISPLAY=example.invalid:0"} << "";
    QTest::newRow("a dead Wayland socket")
        << QStringList{"WAYLAND_DISPLAY=/nonexistent/wayland-9"}
        << "no Wayland compositor answers on /nonexistent/wayland-9";
  }

  void missingDisplay() {
    QFETCH(QStringList, environment);
    QFETCH(QString, reason);
    auto env = [&](const char* name) {
      for (const QString& pair : environment)
        if (pair.section('=', 0, 0) == QLatin1String(name))
          return pair.section('=', 1).toStdString();
      return std::string();
    };
    QCOMPARE(QString::fromStdString(MissingDisplay(env)), reason);
  }
};

QTEST_GUILESS_MAIN(TCommandLineTest)
#include "commandline_qtest.moc"
