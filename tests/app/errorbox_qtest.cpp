// The default error box: its caption, its text rule, and the real modal box it shows.
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "app/errorbox.h"
#include "base/exception.h"

using brevak::ApplicationTitleFromFileName;
using brevak::ErrorBoxText;
using brevak::ShowErrorBox;

class TErrorBoxTest : public QObject {
  Q_OBJECT

private slots:
  void title_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("title");
    QTest::newRow("program") << "brevak"
                             << "Brevak";
    QTest::newRow("up to the first full stop") << "brevak.tar.exe"
                                               << "Brevak";
    QTest::newRow("lower case after the first letter") << "bREVAK"
                                                       << "Brevak";
    QTest::newRow("empty") << ""
                           << "";
  }

  void title() {
    QFETCH(QString, fileName);
    QFETCH(QString, title);
    QCOMPARE(QString::fromStdString(ApplicationTitleFromFileName(fileName.toStdString())), title);
  }

  void text_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text");
    QTest::newRow("letter") << "Unable to write to /a/prog.ini"
                            << "Unable to write to /a/prog.ini.";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("below the full stop") << "Oops!"
                                         << "Oops!";
    QTest::newRow("closing parenthesis") << "(x)"
                                         << "(x)";
    QTest::newRow("slash sorts above") << "/a/"
                                       << "/a/.";
    QTest::newRow("digit") << "code 5"
                           << "code 5.";
    QTest::newRow("Cyrillic") << QString::fromUtf8("Ошибка") << QString::fromUtf8("Ошибка.");
    QTest::newRow("empty") << ""
                           << "";
  }

  void text() {
    QFETCH(QString, message);
    QFETCH(QString, text);
    QCOMPARE(ErrorBoxText(message), text);
  }

  // The real box: modal, the error icon, the program's title, the message with its full stop.
  void modalBox() {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool modal = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      caption = box->windowTitle();
      text = box->text();
      icon = box->icon();
      modal = box->isModal();
      box->accept();
    });
    ShowException(brevak::Exception("Unable to write to /ro/prog.ini"));
    QCOMPARE(icon, QMessageBox::Critical);
    QVERIFY(modal);
    QCOMPARE(caption, QStringLiteral("Errorbox_qtest"));
    QCOMPARE(text, QStringLiteral("Unable to write to /ro/prog.ini."));
  }

  // A server's reason phrase or Location may hold markup: the box shows it as the text it is, with
  // no heading, colour or link that a click would open (plain text has no links).
  void markupArrivesAsLiteralText() {
    const QString markup = QStringLiteral(
        "Could not fetch \"SRR\" from http://srr.example.org/: the server answered 301 "
        "<h1 style=color:red>UPDATE REQUIRED</h1><a href=http://evil.example/>here</a>");
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      QVERIFY(label);
      shown = label->text();
      format = label->textFormat();
      box->accept();
    });
    ShowErrorBox(markup.toStdString());
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(shown, markup + ".");
  }
};

QTEST_MAIN(TErrorBoxTest)
#include "errorbox_qtest.moc"
