// The command line's parsing and the window-free import runner, with stand-in fetches that serve
// the demo's documents; the program run as a whole is tested in import_e2e_qtest.cpp.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "app/commandline.h"

using brevak::TSourceId;

namespace {

QString TestData(const QString& name) {
  return QString::fromLocal8Bit(qgetenv("BREVAK_TEST_DATA")) + "/" + name;
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing " + path.toUtf8() + ">");
}

QByteArray ReadAll(std::FILE* file) {
  std::rewind(file);
  QByteArray text;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, file))
    text.append(buf, static_cast<qsizetype>(n));
  std::fclose(file);
  return text;
}

// Serves the demo's documents by request target, as the demo's server does. A source's host
// (its built-in one, "srr.invalid") listed in Failing fails with "connection refused", one in
// Empty answers an empty document. Earlier sources answer later, so that the fetches end in the
// reverse of their order; the most fetches seen at the same time is counted.
class TStandInServer {
public:
  std::set<std::string> Failing, Empty;
  std::atomic<int> Running{0}, MostAtOnce{0}, Calls{0};

  TStandInServer() {
    const QByteArray routes = ReadFile(TestData("../scripts/demo-data/docs/routes"));
    for (const QByteArray& line : routes.split('\n')) {
      const QList<QByteArray> fields = line.simplified().split(' ');
      if (fields.size() == 2 && !line.startsWith('#'))
        FDocuments[fields[0].toStdString()] =
            ReadFile(TestData("../scripts/demo-data/docs/" + QString::fromUtf8(fields[1])));
    }
  }

  brevak::TFetchFn Fetch() {
    return [this](const std::string& url, brevak::TMemoryStream& document, std::string& cause) {
      const int now = ++Running;
      for (int most = MostAtOnce; now > most && !MostAtOnce.compare_exchange_weak(most, now);) {}
      const std::size_t hostStart = url.find("://") + 3;
      const std::size_t pathStart = url.find('/', hostStart);
      const std::string host = url.substr(hostStart, pathStart - hostStart);
      const std::string path = url.substr(pathStart, url.find('#') - pathStart);  // as sent
      const int order = Calls++;
      std::this_thread::sleep_for(std::chrono::milliseconds(20 * (12 - std::min(order, 12))));
      --Running;
      if (Failing.count(host)) {
        cause = "connection refused";
        return false;
      }
      const QByteArray bytes = Empty.count(host) ? QByteArray() : FDocuments.at(path);
      document.Clear();
      document.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      document.SetPosition(0);
      return true;
    };
  }

private:
  std::map<std::string, QByteArray> FDocuments;
};

}  // namespace

class TCommandLineTest : public QObject {
  Q_OBJECT
private:
  std::unique_ptr<QTemporaryDir> FDir;

  QString ListFile() const { return FDir->filePath("brevak.ini"); }
  void WriteListFile(const QByteArray& bytes) {
    QFile f(ListFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }

  struct TRun {
    int Status;
    QByteArray Out, Err;
  };
  TRun Run(const std::vector<TSourceId>& sources, TStandInServer& server, bool terminal = false) {
    TImportOutput output;
    output.Err = std::tmpfile();
    output.Out = std::tmpfile();
    output.Progress = output.Summary = terminal;
    TRun run;
    run.Status = RunImports(sources, brevak::ImportFilesIn(FDir->path().toStdString()), output,
                            server.Fetch());
    run.Out = ReadAll(output.Out);
    run.Err = ReadAll(output.Err);
    return run;
  }

  static std::vector<TSourceId> All() {
    std::vector<TSourceId> all;
    for (int i = 0; i < brevak::kSourceCount; ++i) all.push_back(brevak::SourceTable()[i].Id);
    return all;
  }

private slots:
  void init() {
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
  }

  void parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("sources");  // saImport: the names, comma-separated
    QTest::addColumn<QString>("text");     // saExit: the text, or how it starts
    QTest::addColumn<int>("status");
    const int import = static_cast<int>(TStartAction::saImport);
    const int exit = static_cast<int>(TStartAction::saExit);
    const QString all = "Hamlog,SRR,KDR,AGB,ARCK,RCWC,5 Ocean,RRC,RCPW,RadioWave";
    QTest::newRow("all, in the window's order")
        << QStringList{"--import", "all"} << import << all << "" << 0;
    QTest::newRow("case and spaces do not matter")
        << QStringList{"--import", "5ocean, 5 OCEAN ,radio wave", "--import", "ALL"} << import
        << "5 Ocean,5 Ocean,RadioWave," + all << "" << 0;
    QTest::newRow("a typo: one line and where to look")
        << QStringList{"--import", "KDR,SRX"} << exit << ""
        << "brevak: unknown source \"SRX\" (did you mean \"SRR\"?)\n"
           "Try 'brevak --help' for more information.\n"
        << kExitUsage;
    QTest::newRow("nothing near")
        << QStringList{"--import", "Nope"} << exit << ""
        << "brevak: unknown source \"Nope\"\nTry 'brevak --help' for more information.\n"
        << kExitUsage;
    QTest::newRow("a name with a control character")
        << QStringList{"--import", "S\x1b[2JRR"} << exit << ""
        << "brevak: unknown source \"S\\x1B[2JRR\"\nTry 'brevak --help' for more information.\n"
        << kExitUsage;
    QTest::newRow("an unknown option")
        << QStringList{"--imprt", "KDR"} << exit << ""
        << "brevak: Unknown option 'imprt'.\nTry 'brevak --help' for more information.\n"
        << kExitUsage;
    QTest::newRow("--version") << QStringList{"--version"} << exit << ""
                               << "brevak 1.2.3\nCopyright (C) 2026 The Brevak developers.\n"
                                  "License MIT: <https://opensource.org/licenses/MIT>.\n"
                                  "This is free software: you are free to change and "
                                  "redistribute it.\n"
                                  "There is NO WARRANTY, to the extent permitted by law.\n"
                               << 0;
  }

  void parse() {
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, sources);
    QFETCH(QString, text);
    QFETCH(int, status);
    QCoreApplication::setApplicationName("brevak");
    QCoreApplication::setApplicationVersion("1.2.3");
    TCommandLine line = ParseCommandLine(QStringList{"brevak"} + arguments);
    QCOMPARE(static_cast<int>(line.Action), action);
    QCOMPARE(QString::fromStdString(line.Text), text);
    QCOMPARE(line.ExitStatus, status);
    QStringList names;
    for (TSourceId source : line.Sources) names << brevak::SourceInfo(source).Name;
    QCOMPARE(names.join(','), sources);
  }

  void quietAndHelp() {
    TCommandLine line = ParseCommandLine({"brevak", "--import", "SRR", "--quiet"});
    QVERIFY(line.Quiet);
    line = ParseCommandLine({"brevak", "--help"});
    // One order of the sources everywhere: the window's.
    QVERIFY(QString::fromStdString(line.Text).contains(
        "Hamlog, SRR, KDR, AGB, ARCK, RCWC, 5 Ocean, RRC, RCPW, RadioWave"));
  }

  // The ten fetched at once, ending in the reverse order, and applied in the given one: the bytes
  // of pressing the ten buttons in turn after a start, whatever the old file held.
  void parallelFetchesGiveTheSequentialBytes() {
    WriteListFile("[SRR]\r\nR0OLD=SRR Member\r\n[Old]\r\n");
    TStandInServer server;
    TRun run = Run(All(), server, true);
    QVERIFY2(run.Status == kExitOk, run.Err.constData());
    QCOMPARE(ReadFile(ListFile()), ReadFile(TestData("app/import_e2e/expected/every-button.ini")));
    QCOMPARE(server.MostAtOnce.load(), brevak::kSourceCount);
    QVERIFY2(run.Out.startsWith("Hamlog: 5 entries\nSRR: 5 entries\nKDR: 3 entries\n"),
             run.Out.constData());
    QVERIFY2(run.Out.endsWith("RadioWave: 3 entries\nList file: " + ListFile().toUtf8() + "\n"),
             run.Out.constData());
    QVERIFY2(run.Err.contains("\rSRR [##############################] 125%\n"),
             run.Err.constData());
  }

  void atMostTenFetchesAtOnce() {
    TStandInServer server;
    std::vector<TSourceId> twelve = All();
    twelve.push_back(TSourceId::SRR);
    twelve.push_back(TSourceId::KDR);
    QCOMPARE(Run(twelve, server).Status, kExitOk);
    QCOMPARE(server.Calls.load(), 12);
    QCOMPARE(server.MostAtOnce.load(), kMaxParallelFetches);
  }

  // A fetch that fails in the middle of the run keeps that source's section of the old file, as
  // it was and at its place; the others are imported; the status says something failed.
  void failedSourceKeepsItsOldSection_data() {
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("warning");
    const QByteArray kdr =
        "[KDR]\r\nR0AAA=KDR \xB9"
        "0123\r\nR0AAZ=KDR \xB9"
        "0123\r\nR0ABB=KDR \xB9"
        "0124\r\n";
    const QByteArray rcwc = "[RCWC]\r\nR0AAA=RCWC\r\nR0AAH=RCWC\r\n R0AAJ=RCWC\r\nR0AAK=RCWC\r\n";
    QTest::newRow("the old section, bytes as they were")
        << QByteArray("[RCWC]\r\nX=1\r\n[SRR]\r\nR0OLD=SRR Member\nR0\xC0=x\r\n[Other]\r\n")
        << kdr + "[SRR]\r\nR0OLD=SRR Member\r\nR0\xC0=x\r\n" + rcwc
        << QByteArray("SRR: kept its section of the previous list file (2 entries)\n");
    QTest::newRow("no old section")
        << QByteArray("[Old]\r\n") << kdr + rcwc
        << QByteArray("SRR: the previous list file has no section of it to keep\n");
    // Text the code page cannot hold stays in the old file's encoding.
    QTest::newRow("an old file in UTF-8")
        << QByteArray("\xEF\xBB\xBF[SRR]\r\n\xE2\x98\x85=SRR Member\r\n")
        << QByteArray(
               "\xEF\xBB\xBF[KDR]\r\nR0AAA=KDR \xE2\x84\x96"
               "0123\r\nR0AAZ=KDR \xE2\x84\x96"
               "0123\r\nR0ABB=KDR \xE2\x84\x96"
               "0124\r\n[SRR]\r\n\xE2\x98\x85=SRR Member\r\n") +
               rcwc
        << QByteArray("SRR: kept its section of the previous list file (1 entry)\n");
  }

  void failedSourceKeepsItsOldSection() {
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, warning);
    WriteListFile(old);
    TStandInServer server;
    server.Failing = {"srr.invalid"};
    TRun run = Run({TSourceId::KDR, TSourceId::SRR, TSourceId::RCWC}, server);
    QCOMPARE(run.Status, kExitFailed);
    QCOMPARE(ReadFile(ListFile()), expected);
    QVERIFY2(run.Err.startsWith("No host is set for \"SRR\""), run.Err.constData());
    QVERIFY2(run.Err.endsWith(".\n" + warning), run.Err.constData());
    QCOMPARE(run.Out, QByteArray());
  }

  // Nothing imported: the old file stays whole, sections of sources not named included.
  void everySourceFailingLeavesTheFile() {
    const QByteArray old = "[SRR]\r\nA=1\r\n[KDR]\r\nB=2\r\n";
    WriteListFile(old);
    TStandInServer server;
    server.Failing = {"srr.invalid"};
    TRun run = Run({TSourceId::SRR}, server, true);
    QCOMPARE(run.Status, kExitFailed);
    QCOMPARE(ReadFile(ListFile()), old);
    QVERIFY2(run.Err.endsWith("Nothing was imported; the list file " + ListFile().toUtf8() +
                              " was left as it was.\n"),
             run.Err.constData());
  }

  // An answer without entries is imported (its header alone) with a warning; the status stays.
  void emptyAnswerWarns() {
    TStandInServer server;
    server.Empty = {"rcwc.invalid"};
    TRun run = Run({TSourceId::RCWC, TSourceId::AGB}, server);
    QCOMPARE(run.Status, kExitOk);
    QCOMPARE(run.Err, QByteArray("RCWC: no entries in the answer; the page may have changed\n"));
    QVERIFY(ReadFile(ListFile()).startsWith("[RCWC]\r\n[AGB]\r\n"));
  }

  // An old file the run cannot read is neither fetched for nor replaced.
  void unreadableOldFileIsLeftAlone() {
    const QByteArray old = "\xEF\xBB\xBF[SRR]\r\n\xFF\r\n";
    WriteListFile(old);
    TStandInServer server;
    TRun run = Run({TSourceId::SRR}, server);
    QCOMPARE(run.Status, kExitFailed);
    QCOMPARE(server.Calls.load(), 0);
    QCOMPARE(ReadFile(ListFile()), old);
    QVERIFY2(run.Err.contains(ListFile().toUtf8()), run.Err.constData());
  }

  void progressLine() {
    // The bar keeps its value mod 65536, as the window's does.
    QCOMPARE(ProgressLine("RRC", -1), std::string("RRC [") + std::string(30, '#') + "] 65535%");
  }

  // --max-time goes with --import, in seconds, and is kept in ms for the fetches.
  void maxTime_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus");  // kExitOk: an import with the limit below
    QTest::addColumn<int>("ms");
    const QStringList import = {"brevak", "--import", "SRR"};
    QTest::newRow("default") << import << kExitOk << brevak::kRequestTimeLimit;
    QTest::newRow("seconds") << import + QStringList{"--max-time", "30"} << kExitOk << 30000;
    QTest::newRow("a fraction") << import + QStringList{"--max-time=0.25"} << kExitOk << 250;
    QTest::newRow("zero") << import + QStringList{"--max-time", "0"} << kExitUsage << 0;
    QTest::newRow("not a number") << import + QStringList{"--max-time", "soon"} << kExitUsage << 0;
    QTest::newRow("without --import")
        << QStringList{"brevak", "--max-time", "30"} << kExitUsage << 0;
  }
  void maxTime() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(int, ms);
    TCommandLine line = ParseCommandLine(arguments);
    if (exitStatus != kExitOk) {
      QCOMPARE(line.Action, TStartAction::saExit);
      QCOMPARE(line.ExitStatus, exitStatus);
      QVERIFY(QByteArray::fromStdString(line.Text).contains("max-time"));
      return;
    }
    QCOMPARE(line.Action, TStartAction::saImport);
    QCOMPARE(line.MaxFetchTime, ms);
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
