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

using brevak::kExitFailed;
using brevak::kExitOk;
using brevak::kExitUsage;
using brevak::kMaxParallelFetches;
using brevak::MissingDisplay;
using brevak::ParseCommandLine;
using brevak::ProgressLine;
using brevak::TCommandLine;
using brevak::TImportOutput;
using brevak::TSourceId;
using brevak::TStartAction;

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

// Serves the demo's documents by request target, as the demo's server does, and those given with
// Serve. A source's host (its built-in one, "srr.invalid") listed in Failing fails with
// "connection refused", one in Empty answers an empty document. Earlier sources answer later, so
// that the fetches end in the reverse of their order; the most fetches seen at the same time is
// counted.
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

  void Serve(const std::string& path, const QByteArray& bytes) { FDocuments[path] = bytes; }

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
  void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile f(FDir->filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  void WriteListFile(const QByteArray& bytes) { WriteFile("brevak.ini", bytes); }
  std::unique_ptr<brevak::TSourceList> Sources() const {
    return std::make_unique<brevak::TSourceList>(brevak::ImportFilesIn(FDir->path().toStdString()));
  }

  struct TRun {
    int Status;
    QByteArray Out, Err;
  };
  // The sources named by name, or by built-in id, imported (or checked, for one) as the program
  // does after sources.ini in the test's folder was read.
  TRun Run(const std::vector<std::string>& names, TStandInServer& server, bool terminal = false,
           bool check = false) {
    const std::unique_ptr<brevak::TSourceList> list = Sources();
    std::vector<const brevak::TSource*> sources;
    for (const std::string& name : names) sources.push_back(list->Find(name));
    TImportOutput output;
    output.Err = std::tmpfile();
    output.Out = std::tmpfile();
    output.Progress = output.Summary = terminal;
    TRun run;
    run.Status = check ? CheckSource(*sources.front(), *list, output, server.Fetch())
                       : RunImports(sources, *list, output, server.Fetch());
    run.Out = ReadAll(output.Out);
    run.Err = ReadAll(output.Err);
    return run;
  }
  TRun Run(const std::vector<TSourceId>& ids, TStandInServer& server, bool terminal = false) {
    std::vector<std::string> names;
    for (TSourceId id : ids) names.emplace_back(brevak::SourceInfo(id).Name);
    return Run(names, server, terminal);
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
    QTest::addColumn<QString>("sources");  // Import, CheckSource: the names, comma-separated
    QTest::addColumn<QString>("text");     // Exit: the text, or how it starts
    QTest::addColumn<int>("status");
    const int import = static_cast<int>(TStartAction::Import);
    const int check = static_cast<int>(TStartAction::CheckSource);
    const int exit = static_cast<int>(TStartAction::Exit);
    // Names are only looked up once sources.ini is read: here they stay as typed.
    QTest::newRow("names as typed, in the order given")
        << QStringList{"--import", "5ocean, 5 OCEAN ,Nope", "--import", "ALL"} << import
        << "5ocean,5 OCEAN,Nope,ALL"
        << "" << 0;
    QTest::newRow("--list-sources")
        << QStringList{"--list-sources"} << static_cast<int>(TStartAction::ListSources) << ""
        << "" << 0;
    QTest::newRow("--check-source")
        << QStringList{"--check-source", " CW Club ", "--max-time", "5"} << check << "CW Club"
        << "" << 0;
    QTest::newRow("--check-source twice")
        << QStringList{"--check-source", "A", "--check-source", "B"} << exit << ""
        << "brevak: --check-source takes one source\nTry 'brevak --help' for more information.\n"
        << kExitUsage;
    QTest::newRow("--check-source all")
        << QStringList{"--check-source", "All"} << exit << ""
        << "brevak: --check-source takes one source\nTry 'brevak --help' for more information.\n"
        << kExitUsage;
    QTest::newRow("two of the runs at once")
        << QStringList{"--import", "SRR", "--list-sources"} << exit << ""
        << "brevak: --import, --list-sources and --check-source go one at a time\n"
           "Try 'brevak --help' for more information.\n"
        << kExitUsage;
    QTest::newRow("--max-time without a fetch")
        << QStringList{"--list-sources", "--max-time", "5"} << exit << ""
        << "brevak: --max-time is for --import and --check-source\n"
           "Try 'brevak --help' for more information.\n"
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
    for (const std::string& name : line.Sources) names << QString::fromStdString(name);
    QCOMPARE(names.join(','), sources);
  }

  // Names against the ten and the clubs of sources.ini: case and spaces ignored, "all" the ten
  // then the clubs in the file's order, a slip answered with the nearest of all of them, and a
  // source whose section was left out refused rather than imported another way.
  void resolve_data() {
    QTest::addColumn<bool>("faulty");      // sources.ini has a section that was left out
    QTest::addColumn<QString>("names");    // as typed, comma-separated
    QTest::addColumn<QString>("sources");  // name:rule, comma-separated
    QTest::addColumn<QString>("usage");    // the refusal's first line
    const QString ten =
        "Hamlog:built in,SRR:lines,KDR:built in,AGB:built in,ARCK:built in,"
        "RCWC:built in,5 Ocean:built in,RRC:built in,RCPW:built in,"
        "RadioWave:built in";
    QTest::newRow("all: the ten, then the clubs")
        << false << "all" << ten + ",CW Club:pattern,DX:lines"
        << "";
    QTest::newRow("case and spaces do not matter")
        << false << "cwclub,5 OCEAN, radio wave ,dx"
        << "CW Club:pattern,5 Ocean:built in,RadioWave:built in,DX:lines"
        << "";
    QTest::newRow("a slip of a club's name")
        << false << "KDR,CW Clb"
        << ""
        << "brevak: unknown source \"CW Clb\" (did you mean \"CW Club\"?)";
    QTest::newRow("a slip of a built-in name") << false << "SRX"
                                               << ""
                                               << "brevak: unknown source \"SRX\" (did you mean "
                                                  "\"SRR\"?)";
    QTest::newRow("nothing near") << false << "Nope"
                                  << ""
                                  << "brevak: unknown source \"Nope\"";
    QTest::newRow("a name with a control character") << false << "S\x1b[2JRR"
                                                     << ""
                                                     << "brevak: unknown source \"S\\x1B[2JRR\"";
    QTest::newRow("other sources beside a faulty section") << true << "SRR,dx"
                                                           << "SRR:lines,DX:lines"
                                                           << "";
    QTest::newRow("the faulty section's name")
        << true << "SRR,broken club"
        << ""
        << "brevak: the section of source \"Broken Club\" in sources.ini was left out for the "
           "error above";
    QTest::newRow("a built-in whose new description was left out")
        << true << "kdr"
        << ""
        << "brevak: the section of source \"KDR\" in sources.ini was left out for the error above";
    QTest::newRow("all, with a faulty section")
        << true << "all"
        << ""
        << "brevak: \"all\" takes in source \"Broken Club\", whose section in sources.ini was "
           "left out for the error above";
  }

  void resolve() {
    QFETCH(bool, faulty);
    QFETCH(QString, names);
    QFETCH(QString, sources);
    QFETCH(QString, usage);
    WriteFile("sources.ini",
              "[Source CW Club]\r\nURL=http://cw.example.org/\r\nRule=pattern\r\n"
              "Pattern=<b>(.*?)</b>\r\n"
              "[Source srr]\r\nURL=http://srr.example.org/\r\nRule=lines\r\n" +
                  QByteArray(faulty ? "[Source Broken Club]\r\nRule=lines\r\n"
                                      "[Source KDR]\r\nURL=ftp://kdr.example.org/\r\nRule=lines\r\n"
                                    : "") +
                  "[Source DX]\r\nURL=http://dx.example.org/\r\nRule=lines\r\n");
    const std::unique_ptr<brevak::TSourceList> list = Sources();
    std::vector<std::string> typed;
    for (const QString& name : names.split(',')) typed.push_back(name.toStdString());
    std::vector<const brevak::TSource*> resolved;
    std::string refusal;
    const bool ok = ResolveSources(typed, *list, resolved, refusal);
    QCOMPARE(ok, usage.isEmpty());
    QStringList got;
    for (const brevak::TSource* source : resolved)
      got << QString::fromStdString(
          source->Name + ":" +
          (source->User ? brevak::TSourceList::RuleName(*source) : std::string("built in")));
    QCOMPARE(got.join(','), sources);
    if (!ok)
      QCOMPARE(QString::fromStdString(refusal),
               usage + "\nTry 'brevak --help' for more information.\n");
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

  // A club of sources.ini is imported as the ten are; when its fetch fails, its section of the old
  // file is found by the header its import writes, not by its name.
  void clubKeepsItsOldSectionByItsHeader() {
    WriteFile("sources.ini",
              "[Source Club]\r\nURL=http://club.invalid/members.txt\r\nRule=lines\r\n"
              "Header=[Club list]\r\n"
              "[Source DX]\r\nURL=http://dx.invalid/list/callsign-all.txt\r\nRule=lines\r\n");
    WriteListFile("[Club]\r\nR0NOT=Club\r\n[Club list]\r\nR0OLD=Club\r\n");
    TStandInServer server;
    server.Failing = {"club.invalid"};
    TRun run = Run(std::vector<std::string>{"DX", "Club"}, server);
    QCOMPARE(run.Status, kExitFailed);
    QCOMPARE(ReadFile(ListFile()),
             QByteArray("[DX]\r\nR0AAA=DX\r\nR0AAB=DX\r\nR0AAC=DX\r\nR0AAD/P=DX\r\n"
                        "[Club list]\r\nR0OLD=Club\r\n"));
    QVERIFY2(run.Err.endsWith("Club: kept its section of the previous list file (1 entry)\n"),
             run.Err.constData());
  }

  // What an import would append, without the list file: at most 20 entries, then their count; an
  // answer without entries fails with the import's warning.
  void checkSource_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QByteArray twenty = "[Club]\n";
    for (int i = 1; i <= 20; ++i) twenty += "R0A" + QByteArray::number(100 + i) + "=Club\n";
    QTest::newRow("one") << 1 << kExitOk << QByteArray("[Club]\nR0A101=Club\n1 entry\n")
                         << QByteArray();
    QTest::newRow("twenty") << 20 << kExitOk << twenty + "20 entries\n" << QByteArray();
    QTest::newRow("twenty-one") << 21 << kExitOk << twenty + "... and 1 more (21 entries)\n"
                                << QByteArray();
    QTest::newRow("none") << 0 << kExitFailed << QByteArray()
                          << QByteArray(
                                 "Club: no entries in the answer; the page may have "
                                 "changed\n");
  }

  void checkSource() {
    QFETCH(int, lines);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    WriteFile("sources.ini",
              "[Source Club]\r\nURL=http://club.invalid/roster\r\nRule=lines\r\nSkip=1\r\n");
    QByteArray roster = "Callsign\r\n";
    for (int i = 1; i <= lines; ++i) roster += "R0A" + QByteArray::number(100 + i) + " Name\r\n";
    TStandInServer server;
    server.Serve("/roster", roster);
    TRun run = Run(std::vector<std::string>{"Club"}, server, false, true);
    QCOMPARE(run.Status, status);
    QCOMPARE(run.Out, out);
    QCOMPARE(run.Err, err);
    QVERIFY(!QFile::exists(ListFile()));
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
      QCOMPARE(line.Action, TStartAction::Exit);
      QCOMPARE(line.ExitStatus, exitStatus);
      QVERIFY(QByteArray::fromStdString(line.Text).contains("max-time"));
      return;
    }
    QCOMPARE(line.Action, TStartAction::Import);
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
