// Whole import runs as the user makes them: the real window, its buttons pressed, or the program
// itself run with --import and no display; the real HTTP client against a loopback web server
// (scripts/demo-data/serve.py) and `openssl s_server` for the HTTPS source, both serving the demo's
// documents, and the bytes of "brevak.ini" compared with expected files.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "app/errorbox.h"
#include "app/main.h"
#include "app/progressbar.h"
#include "listfile/listlock.h"
#include "net/sslinterface.h"

using brevak::SetErrorPresenter;
using brevak::TfrmMain;

namespace {

QString TestData(const QString& name) {
  return QString::fromLocal8Bit(qgetenv("BREVAK_TEST_DATA")) + "/" + name;
}
QString Fixture(const QString& name) { return TestData("app/import_e2e/" + name); }
QString Documents() { return TestData("../scripts/demo-data/docs"); }

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing " + path.toUtf8() + ">");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

// A loopback port with nothing listening on it.
int ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  // Port 0 (nothing bound) would make the test fetch from whatever port the system picks later.
  const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                     getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0;
  close(fd);
  if (!bound) qFatal("cannot bind a loopback port");
  return ntohs(a.sin_port);
}

// Stops a server process when the test ends, however it ends.
struct TServer {
  std::unique_ptr<QProcess> Process = std::make_unique<QProcess>();
  ~TServer() {
    if (Process->state() != QProcess::NotRunning) {
      Process->kill();
      Process->waitForFinished(3000);
    }
  }
};

}  // namespace

class TImportEndToEndTest : public QObject {
  Q_OBJECT
private:
  QTemporaryDir FServerDir;  // certificate, key, ports file
  TServer FHttp;
  TServer FHttps;
  int FHttpPort = 0;
  int FHttpsPort = 0;
  std::unique_ptr<QTemporaryDir> FExeDir;
  QStringList FErrors;

  brevak::TProgramPaths Paths() const { return brevak::PathsIn(FExeDir->path().toStdString()); }
  QString ListFile() const { return FExeDir->filePath("brevak.ini"); }

  // sources.ini beside the program: every source at the loopback servers, SRR possibly elsewhere.
  void WriteHosts(const QString& srrHost = {}) {
    QByteArray ini = "[Hosts]\r\nHamlog=127.0.0.1:" + QByteArray::number(FHttpsPort) + "\r\n";
    for (const char* name :
         {"SRR", "RCWC", "AGB", "5 Ocean", "ARCK", "KDR", "RadioWave", "RCPW", "RRC"}) {
      QByteArray host = "127.0.0.1:" + QByteArray::number(FHttpPort);
      if (QByteArray(name) == "SRR" && !srrHost.isEmpty()) host = srrHost.toUtf8();
      ini += QByteArray(name) + "=" + host + "\r\n";
    }
    WriteFile(FExeDir->filePath("sources.ini"), ini);
  }

  // The hosts, then clubs of sources.ini's own at the HTTP server (or at clubHost): one that takes
  // SRR's CSV by its columns, SRR itself described anew (each line's first word), and a section
  // that is left out for a key its rule does not use.
  void WriteClubs(const QString& clubHost = {}) {
    WriteHosts();
    const QByteArray srr = "http://127.0.0.1:" + QByteArray::number(FHttpPort) +
                           "/wp-content/uploads/2017/08/srr_qslbureau.csv";
    QByteArray club = srr;
    if (!clubHost.isEmpty())
      club.replace("127.0.0.1:" + QByteArray::number(FHttpPort), clubHost.toUtf8());
    QFile ini(FExeDir->filePath("sources.ini"));
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("[Source Club]\r\nURL=" + club +
              "\r\nRule=columns\r\nSeparator=;\r\nSkip=1\r\n"
              "[Source SRR]\r\nURL=" +
              srr +
              "\r\nRule=lines\r\nSkip=1\r\n"
              "[Source Broken Club]\r\nURL=" +
              srr + "\r\nRule=lines\r\nPattern=(x)\r\n");
  }
  // What sources.ini in WriteClubs says of its faulty section, on a line of its own.
  QByteArray BrokenClubWarning() const {
    return FExeDir->filePath("sources.ini").toUtf8() +
           ", line 21: [Source Broken Club] Pattern: not used by Rule=lines.\n";
  }

  static void Press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  struct TRun {
    int Status = -1;
    QByteArray Out, Err;
  };
  // The built program, copied beside this test's sources.ini so that its files live there, run
  // with arguments and no display at all.
  TRun RunProgram(const QStringList& arguments, QProcessEnvironment env = {}) {
    const QString copy = FExeDir->filePath("brevak");
    if (!QFile::exists(copy)) {
      const QString built = QString::fromLocal8Bit(qgetenv("BREVAK_BINARY_DIR")) + "/brevak";
      if (!QFile::copy(built, copy)) qWarning("cannot copy %s", qPrintable(built));
      // Its catalogues too, so that a run in another language speaks it.
      QDir().mkpath(FExeDir->filePath("translations"));
      const QDir catalogues(QString::fromLocal8Bit(qgetenv("BREVAK_BINARY_DIR")) + "/translations");
      for (const QString& name : catalogues.entryList({"*.qm"}, QDir::Files))
        QFile::copy(catalogues.filePath(name), FExeDir->filePath("translations/" + name));
    }
    if (env.isEmpty()) {
      env = QProcessEnvironment::systemEnvironment();
      for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    }
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(copy, arguments);
    TRun run;
    if (!program.waitForFinished(60000)) return run;
    run.Status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    run.Out = program.readAllStandardOutput();
    run.Err = program.readAllStandardError();
    return run;
  }

private slots:
  void initTestCase() {
    QVERIFY(FServerDir.isValid());
    const QString cert = FServerDir.filePath("cert.pem");
    const QString key = FServerDir.filePath("key.pem");
    QProcess req;
    req.setStandardOutputFile(QProcess::nullDevice());
    req.setStandardErrorFile(QProcess::nullDevice());
    req.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                          "/CN=127.0.0.1", "-keyout", key, "-out", cert});
    QVERIFY(req.waitForFinished(30000));
    QCOMPARE(req.exitCode(), 0);

    const QString ports = FServerDir.filePath("ports");
    FHttp.Process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FHttp.Process->start("python3", {TestData("../scripts/demo-data/serve.py"), "--root",
                                     Documents(), "--ports-file", ports, "--quiet"});
    QVERIFY(FHttp.Process->waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ports), 10000);
    for (const QByteArray& line : ReadFile(ports).split('\n'))
      if (line.startsWith("http ")) FHttpPort = line.mid(5).toInt();
    QVERIFY(FHttpPort > 0);

    // s_server -WWW serves files below its working directory and reports its port on stdout.
    FHttps.Process->setWorkingDirectory(Documents());
    FHttps.Process->start(
        "openssl", {"s_server", "-WWW", "-accept", "127.0.0.1:0", "-cert", cert, "-key", key});
    QVERIFY(FHttps.Process->waitForStarted(5000));
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += FHttps.Process->readAllStandardOutput()).contains("ACCEPT"),
                             10000);
    QTRY_VERIFY_WITH_TIMEOUT((out += FHttps.Process->readAllStandardOutput()).contains('\n'), 2000);
    const QByteArray accept = out.mid(out.indexOf("ACCEPT"));
    FHttpsPort = accept
                     .mid(accept.lastIndexOf(':', accept.indexOf('\n')) + 1,
                          accept.indexOf('\n') - accept.lastIndexOf(':', accept.indexOf('\n')) - 1)
                     .trimmed()
                     .toInt();
    QVERIFY(FHttpsPort > 0);

    QVERIFY(brevak::InitSSLInterface());
  }

  void cleanupTestCase() { brevak::DestroySSLInterface(); }

  void init() {
    FExeDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FExeDir->isValid());
    WriteHosts();
    FErrors.clear();
    SetErrorPresenter([this](const QString&, const QString& text) { FErrors << text; });
  }

  void cleanup() { SetErrorPresenter(nullptr); }

  void buttonsInSequence_data() {
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every button once")
        << QStringList{"btnHamlog", "btnSRR",    "btnKDR",  "btnAGB",  "btnARCK",
                       "btnRCWC",   "btn5Ocean", "btnRDXC", "btnRCPW", "btnRadioWave"}
        << "every-button.ini";
    QTest::newRow("the same button twice") << QStringList{"btnKDR", "btnKDR"} << "kdr-twice.ini";
  }

  void buttonsInSequence() {
    QFETCH(QStringList, buttons);
    QFETCH(QString, expected);
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const QString& name : buttons) {
      auto* button = form.findChild<QPushButton*>(name);
      QVERIFY2(button, qPrintable(name));
      Press(button);
    }
    QCOMPARE(FErrors, QStringList{});
    QCOMPARE(ReadFile(ListFile()), ReadFile(Fixture("expected/" + expected)));
    QCOMPARE(form.ProgressBar->Percent(), 100);
  }

  // The names in the buttons' order, in any case: the same bytes as pressing them, whatever the
  // old list file held, with nothing on stderr when it is no terminal.
  void commandLineImportsAsTheButtonsDo() {
    WriteFile(ListFile(), "[Old]\r\nR0OLD=Old\r\n");
    TRun run = RunProgram(
        {"--import", "hamlog,SRR,kdr,AGB,ARCK,RCWC, 5 ocean,RRC,RCPW", "--import", "RadioWave"});
    QCOMPARE(run.Err, QByteArray());
    QCOMPARE(run.Status, 0);
    QCOMPARE(ReadFile(ListFile()), ReadFile(Fixture("expected/every-button.ini")));
  }

  // The list file speaks no language: every source imported in Russian gives the bytes it gives
  // in English, while the lines on the terminal are Russian.
  void listFileIsTheSameInEveryLanguage_data() {
    QTest::addColumn<QStringList>("language");
    QTest::addColumn<QByteArray>("summary");
    QTest::newRow("LANG=C") << QStringList{"LANG=C"} << QByteArray("List file: ");
    QTest::newRow("LANG=ru_RU.UTF-8")
        << QStringList{"LANG=ru_RU.UTF-8"} << QByteArray("Файл списка: ");
    QTest::newRow("LANGUAGE=ru") << QStringList{"LANGUAGE=ru", "LANG=en_US.UTF-8"}
                                 << QByteArray("Файл списка: ");
  }

  void listFileIsTheSameInEveryLanguage() {
    QFETCH(QStringList, language);
    QFETCH(QByteArray, summary);
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH"));
    env.insert("HOME", FExeDir->path());
    for (const QString& variable : language)
      env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    TRun run = RunProgram({"--import", "all"}, env);
    QCOMPARE(run.Err, QByteArray());
    QCOMPARE(run.Status, 0);
    QCOMPARE(ReadFile(ListFile()), ReadFile(Fixture("expected/every-button.ini")));
    // A failed fetch: its message and the kept section's line in the language, the file's bytes
    // again the same.
    WriteHosts("127.0.0.1:" + QString::number(ClosedPort()));
    run = RunProgram({"--import", "RCWC,SRR"}, env);
    QCOMPARE(run.Status, 1);
    const bool russian = summary != "List file: ";
    QVERIFY2(run.Err.contains(russian ? "Не удалось загрузить «SRR»" : "Could not fetch \"SRR\""),
             run.Err.constData());
    QVERIFY2(run.Err.contains(russian ? "в соединении отказано" : "connection refused"),
             run.Err.constData());
    // The rows run in order: English first, whose file the others must equal.
    static QByteArray afterFailureInEnglish;
    if (!russian) afterFailureInEnglish = ReadFile(ListFile());
    QVERIFY(afterFailureInEnglish.startsWith("[RCWC]\r\n"));
    QCOMPARE(ReadFile(ListFile()), afterFailureInEnglish);
  }

  // The real client with the fetches at the same time: SRR's server refuses in the middle of the
  // run, and its section of the old file stays at its place between the two imported ones.
  void commandLineKeepsTheSectionOfAFailedFetch() {
    const QString unreachable = "127.0.0.1:" + QString::number(ClosedPort());
    WriteHosts(unreachable);
    WriteFile(ListFile(), "[SRR]\r\nR0OLD=SRR Member\r\n[KDR]\r\nR0OLD=KDR\r\n");
    TRun run = RunProgram({"--import", "RCWC,srr,AGB"});
    QCOMPARE(run.Status, 1);
    QCOMPARE(run.Out, QByteArray());
    QCOMPARE(run.Err, "Could not fetch \"SRR\" from http://" + unreachable.toUtf8() +
                          "/wp-content/uploads/2017/08/srr_qslbureau.csv: connection refused.\n"
                          "SRR: kept its section of the previous list file (1 entry)\n");
    const QByteArray list = ReadFile(ListFile());
    QVERIFY2(list.startsWith("[RCWC]\r\nR0AAA=RCWC\r\nR0AAH=RCWC\r\n R0AAJ=RCWC\r\nR0AAK=RCWC\r\n"
                             "[SRR]\r\nR0OLD=SRR Member\r\n[AGB]\r\nR0AAA=AGB "),
             list.constData());
  }

  // While another Brevak holds the list file (this test), the command line neither fetches nor
  // writes, and the window says so before it could delete the list.
  void aSecondBrevakLeavesTheListAlone() {
    WriteFile(ListFile(), "[SRR]\r\nR0OLD=SRR Member\r\n");
    brevak::TListFileLock lock(ListFile().toStdString());
    QVERIFY(!lock.HeldElsewhere() && lock.Refusal().empty());
    const QByteArray message = "Brevak is already running (process " +
                               QByteArray::number(getpid()) + ") and is using " +
                               ListFile().toUtf8() + ".\n";
    TRun run = RunProgram({"--import", "SRR"});
    QCOMPARE(run.Err, message);
    QCOMPARE(run.Status, 1);

    // The window waits in its message box, which nobody here can close.
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(env);
    window.start(FExeDir->filePath("brevak"), {});
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += window.readAllStandardError()).contains(message), 20000);
    window.kill();
    window.waitForFinished(5000);
    QCOMPARE(ReadFile(ListFile()), QByteArray("[SRR]\r\nR0OLD=SRR Member\r\n"));
  }

  void commandLineExitStatuses_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("listFile");  // after the run, over "[Old]\r\n"
    QTest::addColumn<QByteArray>("stdOut");    // how the output starts
    QTest::addColumn<QByteArray>("stdErr");    // how the errors start
    const QByteArray rcwc = "[RCWC]\r\nR0AAA=RCWC\r\nR0AAH=RCWC\r\n R0AAJ=RCWC\r\nR0AAK=RCWC\r\n";
    QTest::newRow("a failed import, the next still runs")
        << QStringList{"--import", "SRR,RCWC"} << 1 << rcwc << QByteArray()
        << QByteArray("Could not fetch \"SRR\" from http://");
    QTest::newRow("an unknown name")
        << QStringList{"--import", "KDR,Nope"} << 2 << QByteArray("[Old]\r\n") << QByteArray()
        << QByteArray("brevak: unknown source \"Nope\"");
    QTest::newRow("an unknown option")
        << QStringList{"--imprt", "KDR"} << 2 << QByteArray("[Old]\r\n") << QByteArray()
        << QByteArray("brevak: Unknown option 'imprt'.");
    QTest::newRow("a stray argument") << QStringList{"KDR"} << 2 << QByteArray("[Old]\r\n")
                                      << QByteArray() << QByteArray("brevak: unexpected argument");
    QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("[Old]\r\n")
                               << QByteArray("brevak ") << QByteArray();
    QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("[Old]\r\n")
                            << QByteArray("Usage: ") << QByteArray();
    QTest::newRow("the window without a display")
        << QStringList{} << 1 << QByteArray("[Old]\r\n") << QByteArray()
        << QByteArray("brevak: cannot open the window: no display");
  }

  void commandLineExitStatuses() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, listFile);
    QFETCH(QByteArray, stdOut);
    QFETCH(QByteArray, stdErr);
    WriteHosts("127.0.0.1:" + QString::number(ClosedPort()));
    WriteFile(ListFile(), "[Old]\r\n");
    TRun run = RunProgram(arguments);
    QVERIFY2(run.Out.startsWith(stdOut), run.Out.constData());
    QVERIFY2(stdErr.isEmpty() ? run.Err.isEmpty() : run.Err.startsWith(stdErr),
             run.Err.constData());
    QCOMPARE(run.Status, status);
    QCOMPARE(ReadFile(ListFile()), listFile);
  }

  // The clubs of sources.ini by name, as the ten are, and SRR by its new description; a name
  // whose section was left out stops the run before anything is fetched or written.
  void commandLineImportsTheClubsOfSourcesIni_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("listFile");  // after the run, over "[Old]\r\n"
    QTest::addColumn<QByteArray>("stdErr");    // after the faulty section's warning
    QTest::newRow("a club, a replaced built-in and a built-in")
        << QStringList{"--import", "club,srr", "--import", "KDR"} << 0
        << QByteArray(
               "[Club]\r\nR0AAA=Club\r\nR0AAF=Club\r\nR0AAG=Club\r\n"
               "[SRR]\r\nR0AAA=SRR Member\r\nR0AAF=SRR Member\r\nR0AAG=SRR Member\r\n"
               "[KDR]\r\nR0AAA=KDR \xB9"
               "0123\r\nR0AAZ=KDR \xB9"
               "0123\r\nR0ABB=KDR \xB9"
               "0124\r\n")
        << QByteArray();
    QTest::newRow("the faulty section's name")
        << QStringList{"--import", "Club,brokenclub"} << 2 << QByteArray("[Old]\r\n")
        << QByteArray(
               "brevak: the section of source \"Broken Club\" in sources.ini was left out "
               "for the error above\nTry 'brevak --help' for more information.\n");
    QTest::newRow("a slip, answered from the clubs too")
        << QStringList{"--import", "Clu"} << 2 << QByteArray("[Old]\r\n")
        << QByteArray(
               "brevak: unknown source \"Clu\" (did you mean \"Club\"?)\n"
               "Try 'brevak --help' for more information.\n");
  }

  void commandLineImportsTheClubsOfSourcesIni() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, listFile);
    QFETCH(QByteArray, stdErr);
    WriteClubs();
    WriteFile(ListFile(), "[Old]\r\n");
    TRun run = RunProgram(arguments);
    QCOMPARE(run.Err, BrokenClubWarning() + stdErr);
    QCOMPARE(run.Status, status);
    QCOMPARE(ReadFile(ListFile()), listFile);
  }

  // The same clubs pressed in the window: the club's own button, the ten's SRR button (fetched by
  // its new description), the file's bytes as the command line writes them, and the faulty
  // section told once.
  void windowImportsTheClubsOfSourcesIni() {
    WriteClubs();
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(FErrors.size(), 1);
    QVERIFY(FErrors[0].contains("[Source Broken Club] Pattern: not used by Rule=lines"));
    QCOMPARE(form.OwnButtons.size(), std::size_t{1});
    Press(form.OwnButtons[0]);
    Press(form.findChild<QPushButton*>("btnSRR"));
    QCOMPARE(FErrors.size(), 1);
    QCOMPARE(ReadFile(ListFile()),
             QByteArray("[Club]\r\nR0AAA=Club\r\nR0AAF=Club\r\nR0AAG=Club\r\n"
                        "[SRR]\r\nR0AAA=SRR Member\r\nR0AAF=SRR Member\r\nR0AAG=SRR Member\r\n"));
    QCOMPARE(form.ProgressBar->Percent(), 100);
  }

  // Every source in the window's order, one a line, in columns that line up.
  void listSources() {
    WriteClubs();
    TRun run = RunProgram({"--list-sources"});
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Err, BrokenClubWarning());
    const QStringList lines = QString::fromUtf8(run.Out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + brevak::kSourceCount + 1);
    static const QRegularExpression gap(" {2,}");
    const QString ini = FExeDir->filePath("sources.ini");
    const QString http = "http://127.0.0.1:" + QString::number(FHttpPort);
    QCOMPARE(lines[0].split(gap), (QStringList{"Source", "Rule", "Described in", "URL"}));
    QCOMPARE(lines[1].split(gap), (QStringList{"Hamlog", "built in", "built in",
                                               "https://127.0.0.1:" + QString::number(FHttpsPort) +
                                                   "/list/callsign-all.txt"}));
    QCOMPARE(
        lines[2].split(gap),
        (QStringList{"SRR", "lines", ini, http + "/wp-content/uploads/2017/08/srr_qslbureau.csv"}));
    QCOMPARE(lines[7].split(gap),
             (QStringList{"5 Ocean", "built in", "built in", http + "/callbook/"}));
    QCOMPARE(lines[11].split(gap),
             (QStringList{"Club", "columns", ini,
                          http + "/wp-content/uploads/2017/08/srr_qslbureau.csv"}));
    for (const QString& line : lines)
      QCOMPARE(line.indexOf(line.split(gap).last()), lines[0].indexOf("URL"));
  }

  // A check fetches and shows, and leaves the list file as it was, or absent; it takes no lock,
  // so it runs while another Brevak (this test) holds the list file.
  void checkSourceLeavesTheListFileAlone_data() {
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QByteArray>("listFile");  // empty: none
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("stdOut");
    QTest::addColumn<QByteArray>("stdErr");  // how it starts, after the faulty section's warning
    const QByteArray club = "[Club]\nR0AAA=Club\nR0AAF=Club\nR0AAG=Club\n3 entries\n";
    QTest::newRow("no list file") << true << QByteArray() << "club" << 0 << club << QByteArray();
    QTest::newRow("a list file") << true << QByteArray("[Club]\r\nR0OLD=Club\r\n") << "CLUB" << 0
                                 << club << QByteArray();
    QTest::newRow("a replaced built-in")
        << true << QByteArray("[Old]\r\n") << "srr" << 0
        << QByteArray("[SRR]\nR0AAA=SRR Member\nR0AAF=SRR Member\nR0AAG=SRR Member\n3 entries\n")
        << QByteArray();
    QTest::newRow("a failed fetch") << false << QByteArray("[Old]\r\n") << "club" << 1
                                    << QByteArray() << QByteArray("Could not fetch \"Club\" from ");
    QTest::newRow("an unknown name") << true << QByteArray() << "Clb" << 2 << QByteArray()
                                     << QByteArray("brevak: unknown source \"Clb\"");
  }

  void checkSourceLeavesTheListFileAlone() {
    QFETCH(bool, reachable);
    QFETCH(QByteArray, listFile);
    QFETCH(QString, name);
    QFETCH(int, status);
    QFETCH(QByteArray, stdOut);
    QFETCH(QByteArray, stdErr);
    WriteClubs(reachable ? QString() : "127.0.0.1:" + QString::number(ClosedPort()));
    if (!listFile.isEmpty()) WriteFile(ListFile(), listFile);
    brevak::TListFileLock lock(ListFile().toStdString());
    QVERIFY(!lock.HeldElsewhere() && lock.Refusal().empty());
    TRun run = RunProgram({"--check-source", name});
    QCOMPARE(run.Out, stdOut);
    QVERIFY2(run.Err.startsWith(BrokenClubWarning() + stdErr), run.Err.constData());
    QCOMPARE(run.Status, status);
    if (listFile.isEmpty())
      QVERIFY(!QFile::exists(ListFile()));
    else
      QCOMPARE(ReadFile(ListFile()), listFile);
  }

  // A display that is named but has no server: one line that says so, not Qt's abort.
  void windowOnADeadDisplayExitsWithOneLine() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("WAYLAND_DISPLAY");
    env.insert("DISPLAY", ":4711");
    TRun run = RunProgram({}, env);
    QCOMPARE(run.Status, 1);
    QVERIFY2(run.Err.startsWith("brevak: cannot open the window: no X server answers on display "
                                ":4711. To import without a window, run brevak --import"),
             run.Err.constData());
    QCOMPARE(run.Err.count('\n'), 1);
  }

  void failedFetchFirstLeavesAnEmptyFileAndTellsWhy() {
    const QString unreachable = "127.0.0.1:" + QString::number(ClosedPort());
    WriteHosts(unreachable);
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Press(form.btnSRR);
    QVERIFY(QFile::exists(ListFile()));
    QCOMPARE(ReadFile(ListFile()), QByteArray());
    QCOMPARE(form.ProgressBar->Percent(), 0);
    QCOMPARE(FErrors.size(), 1);
    QVERIFY2(FErrors[0].startsWith("Could not fetch \"SRR\" from http://" + unreachable +
                                   "/wp-content/uploads/2017/08/srr_qslbureau.csv: "),
             qPrintable(FErrors[0]));

    // The next run starts from that empty file.
    WriteHosts();
    Press(form.btnRCWC);
    QCOMPARE(FErrors.size(), 1);
    QCOMPARE(ReadFile(ListFile()),
             QByteArray("[RCWC]\r\nR0AAA=RCWC\r\nR0AAH=RCWC\r\n R0AAJ=RCWC\r\nR0AAK=RCWC\r\n"));
    QCOMPARE(form.ProgressBar->Percent(), 133);  // once, after the loop: 4 * 100 div 3
  }

  void utf8SignedListFileStaysUTF8() {
    TfrmMain form(Paths());  // deletes any list file: the signed one is put there afterwards
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    WriteFile(ListFile(), "\xEF\xBB\xBF[Old]\r\n\xD0\xAF=\xD0\x9A\xD0\xBB\xD1\x83\xD0\xB1");
    Press(form.btnAGB);
    QCOMPARE(FErrors, QStringList{});
    QCOMPARE(
        ReadFile(ListFile()),
        QByteArray("\xEF\xBB\xBF[Old]\r\n\xD0\xAF=\xD0\x9A\xD0\xBB\xD1\x83\xD0\xB1\r\n[AGB]\r\n"
                   "R0AAA=AGB \xE2\x84\x96"
                   "1\r\nR0AAL=AGB \xE2\x84\x96"
                   "2\r\nR0AAM=AGB \xE2\x84\x96"
                   "3\r\n"
                   "R0AAN=AGB \xE2\x84\x96"
                   "4\r\nR0AAP=AGB \xE2\x84\x96"
                   "5\r\n"));
  }

  void clickDuringARunIsRefused() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Fires inside the run's message processing, between two lines of the RadioWave page.
    bool clicked = false;
    QTimer::singleShot(0, &form, [&] {
      QVERIFY(form.ImportRunning());
      Press(form.btnSRR);
      Press(form.btnRadioWave);
      clicked = true;
    });
    Press(form.btnRadioWave);
    QVERIFY(clicked);
    QCOMPARE(FErrors, QStringList{});
    QCOMPARE(ReadFile(ListFile()),
             QByteArray("[RadioWave]\r\nR0ABC=Radio Wave\r\nR0ABD=Radio Wave\r\n"
                        "R0ABE/P=Radio Wave\r\n"));
  }

  void closingDuringARunWaitsForTheSave() {
    TfrmMain form(Paths());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Once the lines are being read: a close while the fetch waits would stop the fetch instead.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &form, [&] {
      if (form.ProgressBar->Percent() > 0) {
        closer.stop();
        form.close();
      }
    });
    closer.start(0);
    Press(form.btnKDR);
    QVERIFY(!form.isVisible());
    QCOMPARE(ReadFile(ListFile()).left(7), QByteArray("[KDR]\r\n"));
  }
};

QTEST_MAIN(TImportEndToEndTest)
#include "import_e2e_qtest.moc"
