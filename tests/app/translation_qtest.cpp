// The program in Russian: the catalogue chosen by the user's language, the layers' English
// messages translated by their shapes with their arguments kept, the window's error box, and
// --help; what names the program and its files stays as it is in every language.
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/errorbox.h"
#include "app/main.h"
#include "app/paths.h"
#include "app/translation.h"

using brevak::InstallTranslations;
using brevak::SetErrorPresenter;
using brevak::TfrmMain;
using brevak::TranslatedMessage;

namespace {

QString BuiltProgram() { return QString::fromLocal8Bit(qgetenv("BREVAK_BINARY_DIR")) + "/brevak"; }

QStringList BuiltCatalogues() {
  return {QString::fromLocal8Bit(qgetenv("BREVAK_BINARY_DIR")) + "/translations"};
}

struct TRun {
  int Status = -1;
  QString Out, Err;
};

// The built program (its catalogues beside it) with only the given language variables set.
TRun RunBuilt(const QStringList& arguments, const QStringList& language) {
  QProcessEnvironment env;
  env.insert("PATH", qEnvironmentVariable("PATH"));
  for (const QString& variable : language)
    env.insert(variable.section('=', 0, 0), variable.section('=', 1));
  QProcess program;
  program.setProcessEnvironment(env);
  program.start(BuiltProgram(), arguments);
  TRun run;
  if (!program.waitForFinished(30000)) return run;
  run.Status = program.exitCode();
  run.Out = QString::fromUtf8(program.readAllStandardOutput());
  run.Err = QString::fromUtf8(program.readAllStandardError());
  return run;
}

}  // namespace

class TTranslationTest : public QObject {
  Q_OBJECT

private slots:
  void cleanup() { InstallTranslations(QLocale::c(), BuiltCatalogues()); }

  // A language without a catalogue, and English itself, keep the texts as written.
  void englishWithoutACatalogue_data() {
    QTest::addColumn<QString>("locale");
    QTest::newRow("C") << "C";
    QTest::newRow("English") << "en_GB";
    QTest::newRow("German, no catalogue") << "de_DE";
  }

  void englishWithoutACatalogue() {
    QFETCH(QString, locale);
    QVERIFY(!InstallTranslations(QLocale(locale), BuiltCatalogues()));
    const QString message = "Could not fetch \"SRR\" from http://srr.invalid/: host not found";
    QCOMPARE(TranslatedMessage(message), message);
  }

  // The shapes: the outer message and its cause translated, each argument as it came, whatever it
  // holds; a text of no known shape is left English rather than guessed at.
  void messagesByShape_data() {
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("russian");
    QTest::newRow("fetch with a cause")
        << "Could not fetch \"SRR\" from http://127.0.0.1:9/srr: connection refused"
        << "Не удалось загрузить «SRR» с адреса http://127.0.0.1:9/srr: в соединении отказано";
    QTest::newRow("the server's words kept")
        << "Could not fetch \"KDR\" from http://h/x: the server answered 404 Not Found"
        << "Не удалось загрузить «KDR» с адреса http://h/x: сервер ответил 404 Not Found";
    QTest::newRow("moved, through a proxy")
        << "Could not fetch \"AGB\" from http://h/a: the server answered 301 Moved Permanently "
           "(through proxy p:3128). The list is now at http://new/a: to fetch it from there, set "
           "AGB=http://new/a under [Hosts] in /e/sources.ini"
        << "Не удалось загрузить «AGB» с адреса http://h/a: сервер ответил 301 Moved Permanently "
           "(через прокси p:3128). Список теперь находится по адресу http://new/a: чтобы "
           "загружать его оттуда, задайте AGB=http://new/a в разделе [Hosts] файла "
           "/e/sources.ini";
    QTest::newRow("a cause with an argument of its own")
        << "Could not fetch \"Hamlog\" from https://h/: TLS handshake failed: bad certificate"
        << "Не удалось загрузить «Hamlog» с адреса https://h/: ошибка согласования TLS: bad "
           "certificate";
    QTest::newRow("a cause met through a proxy")
        << "Could not fetch \"RCWC\" from http://h/r: timed out after 600 s (through proxy p:3128)"
        << "Не удалось загрузить «RCWC» с адреса http://h/r: время ожидания истекло через 600 с "
           "(через прокси p:3128)";
    QTest::newRow("no host, a near key")
        << "No host is set for \"RCPW\": add RCPW=HOST[:PORT] under [Hosts] in /e/sources.ini "
           "(\"RCWP\" in sources.ini is no source's name)"
        << "Для «RCPW» не задан сервер: добавьте RCPW=HOST[:PORT] в раздел [Hosts] файла "
           "/e/sources.ini (\"RCWP\" в sources.ini не является именем источника)";
    QTest::newRow("no host, on a new install")
        << "No host is set for \"SRR\": add SRR=HOST[:PORT] under [Hosts] in /e/sources.ini. "
           "Every key is listed in /usr/share/doc/brevak/sources.ini.example"
        << "Для «SRR» не задан сервер: добавьте SRR=HOST[:PORT] в раздел [Hosts] файла "
           "/e/sources.ini. Все ключи перечислены в файле "
           "/usr/share/doc/brevak/sources.ini.example";
    QTest::newRow("file, a path with %1 and a system error kept")
        << "Cannot create file \"/d/%1 x/brevak.ini\". Permission denied"
        << "Не удаётся создать файл «/d/%1 x/brevak.ini». Permission denied";
    QTest::newRow("file that is a pipe")
        << "Cannot open file \"/d/brevak.ini\". It is a named pipe (FIFO), not a regular file"
        << "Не удаётся открыть файл «/d/brevak.ini». Это именованный канал (FIFO), а не обычный "
           "файл";
    QTest::newRow("a faulty section, the matcher's words too")
        << "/e/sources.ini, line 7: [Source CW Club] Pattern: at position 3: TMatcher(comp): "
           "Missing )"
        << "/e/sources.ini, строка 7: [Source CW Club] Pattern: в позиции 3: TMatcher(comp): не "
           "хватает )";
    QTest::newRow("faulty sections, one a line")
        << "/e/sources.ini, line 2: [Source A] URL: missing\n/e/sources.ini, line 5: [Source "
           "all]: \"all\" names every source on the command line"
        << "/e/sources.ini, строка 2: [Source A] URL: не задан\n/e/sources.ini, строка 5: [Source "
           "all]: «all» в командной строке означает все источники";
    QTest::newRow("unknown shape") << "Something new happened"
                                   << "Something new happened";
  }

  void messagesByShape() {
    QFETCH(QString, english);
    QFETCH(QString, russian);
    QVERIFY(InstallTranslations(QLocale("ru_RU"), BuiltCatalogues()));
    QCOMPARE(TranslatedMessage(english), russian);
  }

  // The window in Russian: the error box of a source without a host speaks Russian, while the
  // title and the buttons' captions and hints stay the clubs' and the program's own.
  void windowErrorBoxInRussian() {
    QVERIFY(InstallTranslations(QLocale("ru_RU"), BuiltCatalogues()));
    QTemporaryDir exeDir;
    QStringList errors;
    SetErrorPresenter([&](const QString&, const QString& text) { errors << text; });
    {
      TfrmMain form(brevak::PathsIn(exeDir.path().toStdString()));
      QCOMPARE(form.windowTitle(), QString("Brevak.ini"));
      auto* srr = form.findChild<QPushButton*>("btnSRR");
      QVERIFY(srr);
      QCOMPARE(srr->text(), QString("Create SRR"));
      QCOMPARE(srr->toolTip(), QString("SRR"));
      QCOMPARE(srr->accessibleDescription(), QString("Клавиша 2"));
      srr->click();
    }
    SetErrorPresenter(nullptr);
    QCOMPARE(errors, QStringList{"Для «SRR» не задан сервер: добавьте SRR=HOST[:PORT] в раздел "
                                 "[Hosts] файла " +
                                 exeDir.filePath("sources.ini") + "."});
  }

  // --help in the language the variables name, the Qt parser's own words included; English when
  // none or one without a catalogue is named.
  void helpFollowsTheLanguage_data() {
    QTest::addColumn<QStringList>("language");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("helpOption");
    const QString russianHelp = "Выводит эту справку и завершает работу.";
    const QString englishHelp = "Prints this help and exits.";
    QTest::newRow("LANG=ru_RU.UTF-8")
        << QStringList{"LANG=ru_RU.UTF-8"} << "Использование: " << russianHelp;
    QTest::newRow("LANGUAGE=ru") << QStringList{"LANGUAGE=ru", "LANG=en_US.UTF-8"}
                                 << "Использование: " << russianHelp;
    QTest::newRow("LC_MESSAGES over LANG")
        << QStringList{"LANG=en_US.UTF-8", "LC_MESSAGES=ru_RU.UTF-8"}
        << "Использование: " << russianHelp;
    QTest::newRow("LANG=C") << QStringList{"LANG=C"} << "Usage: " << englishHelp;
    QTest::newRow("no language") << QStringList{} << "Usage: " << englishHelp;
    QTest::newRow("LANG=de_DE.UTF-8")
        << QStringList{"LANG=de_DE.UTF-8"} << "Usage: " << englishHelp;
  }

  void helpFollowsTheLanguage() {
    QFETCH(QStringList, language);
    QFETCH(QString, firstLine);
    QFETCH(QString, helpOption);
    const TRun run = RunBuilt({"--help"}, language);
    QCOMPARE(run.Status, 0);
    QVERIFY2(run.Out.startsWith(firstLine), qPrintable(run.Out));
    QVERIFY2(run.Out.contains("-h, --help") && run.Out.contains(helpOption), qPrintable(run.Out));
    // The names the program answers to are never translated.
    QVERIFY2(run.Out.contains("Hamlog, SRR, KDR, AGB, ARCK, RCWC, 5 Ocean, RRC, RCPW, RadioWave"),
             qPrintable(run.Out));
  }

  // A count reads as Russian counts do; the English singular stays "entry".
  void unknownSourceAndCounts() {
    const TRun run = RunBuilt({"--import", "SRX"}, {"LANG=ru_RU.UTF-8"});
    QCOMPARE(run.Status, 2);
    QCOMPARE(run.Err, QString("brevak: неизвестный источник «SRX» (возможно, имелся в виду "
                              "«SRR»?)\nПодробности: «brevak --help».\n"));
    QVERIFY(InstallTranslations(QLocale("ru_RU"), BuiltCatalogues()));
    const char* text = "%1: %n entries";
    QCOMPARE(QCoreApplication::translate("CommandLine", text, nullptr, 1), "%1: 1 запись");
    QCOMPARE(QCoreApplication::translate("CommandLine", text, nullptr, 3), "%1: 3 записи");
    QCOMPARE(QCoreApplication::translate("CommandLine", text, nullptr, 11), "%1: 11 записей");
    QCOMPARE(QCoreApplication::translate("CommandLine", text, nullptr, 21), "%1: 21 запись");
  }
};

QTEST_MAIN(TTranslationTest)
#include "translation_qtest.moc"
