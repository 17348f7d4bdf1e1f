// The text rules of the placement file: stored integers and the words of a position text.
#include <QtTest>

#include <string>

#include "app/placementrules.h"

using brevak::ExtractWord;
using brevak::IntToStr;
using brevak::StrToIntDef;

class TPlacementRulesTest : public QObject {
  Q_OBJECT

private slots:
  void integer_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");  // with the default -7
    // Decimal
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("digits") << "1920" << 1920;
    QTest::newRow("leading zeros") << "0012" << 12;
    QTest::newRow("minus") << "-20" << -20;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("leading spaces") << "   42" << 42;
    QTest::newRow("trailing space") << "42 " << -7;
    QTest::newRow("space after sign") << "- 4" << -7;
    QTest::newRow("two signs") << "--4" << -7;
    QTest::newRow("letters") << "abc" << -7;
    QTest::newRow("empty") << "" << -7;
    QTest::newRow("sign alone") << "-" << -7;
    QTest::newRow("decimal point") << "1.5" << -7;
    // Hexadecimal
    QTest::newRow("0x") << "0x64" << 100;
    QTest::newRow("0X") << "0XfF" << 255;
    QTest::newRow("0x alone") << "0x" << -7;
    QTest::newRow("0x then sign") << "0x-5" << -7;
    QTest::newRow("dollar") << "$10" << 16;
    QTest::newRow("x") << "x1A" << 26;
    QTest::newRow("minus dollar") << "-$10" << -16;
    QTest::newRow("spaces, minus, 0x") << "  -0x10" << -16;
    QTest::newRow("dollar alone") << "$" << -7;
    QTest::newRow("not a hex digit") << "0x1G" << -7;
    // The signed 32-bit range
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("one above") << "2147483648" << -7;
    QTest::newRow("one below") << "-2147483649" << -7;
    QTest::newRow("hex largest") << "0x7FFFFFFF" << 2147483647;
    QTest::newRow("hex above") << "0xFFFFFFFF" << -7;
    QTest::newRow("many digits") << "99999999999999999999999" << -7;
  }

  void integer() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(StrToIntDef(text.toStdString(), -7), value);
  }

  void written() {
    QCOMPARE(IntToStr(0), std::string("0"));
    QCOMPARE(IntToStr(-20), std::string("-20"));
    QCOMPARE(IntToStr(-2147483647 - 1), std::string("-2147483648"));
    for (int v : {0, 1, -1, 96, -2147483647 - 1, 2147483647})
      QCOMPARE(StrToIntDef(IntToStr(v), 12345), v);
  }

  void words_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");  // words 1 to 5
    QTest::newRow("four") << "10,20,330,190" << QStringList{"10", "20", "330", "190", ""};
    QTest::newRow("two") << "100,200" << QStringList{"100", "200", "", "", ""};
    QTest::newRow("hex and negative") << "0x64,-20" << QStringList{"0x64", "-20", "", "", ""};
    QTest::newRow("runs of separators") << "1, ,2,,3  4" << QStringList{"1", "2", "3", "4", ""};
    QTest::newRow("separators at the ends") << ", 1,2 ," << QStringList{"1", "2", "", "", ""};
    QTest::newRow("only separators") << " ,, " << QStringList{"", "", "", "", ""};
    QTest::newRow("empty") << "" << QStringList{"", "", "", "", ""};
  }

  void words() {
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    for (int n = 1; n <= 5; ++n)
      QCOMPARE(QString::fromStdString(ExtractWord(n, text.toStdString())), words[n - 1]);
    QCOMPARE(ExtractWord(0, text.toStdString()), std::string());
  }
};

QTEST_APPLESS_MAIN(TPlacementRulesTest)
#include "placementrules_qtest.moc"
