#include "NumberFormat.h"

#include <QTest>

#include <limits>

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void format_data();
    void format();
    void formatOtherSymbols_data();
    void formatOtherSymbols();
    void formatNonFinite();
    void read_data();
    void read();
    void scanDetails_data();
    void scanDetails();
};

void TestNumberFormat::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    // The decimal symbol is written even with no fraction digit after it.
    QTest::newRow("3 bare point") << 3.0 << "+##0.#;-##0.#" << "+3.";
    QTest::newRow("-3 bare point") << -3.0 << "+##0.#;-##0.#" << "-3.";
    QTest::newRow("2.5 one optional decimal") << 2.5 << "+##0.#;-##0.#" << "+2.5";

    // The SPL text.
    QTest::newRow("SPL 100") << 100.0 << " ####.0#" << " 100.0";
    QTest::newRow("SPL 94.25") << 94.25 << " ####.0#" << " 94.25";
    QTest::newRow("SPL 94.256") << 94.256 << " ####.0#" << " 94.26";
    QTest::newRow("SPL 94.255 decimal half") << 94.255 << " ####.0#" << " 94.26";
    QTest::newRow("SPL 0.5") << 0.5 << " ####.0#" << " .5";
    QTest::newRow("SPL 0") << 0.0 << " ####.0#" << " .0";
    QTest::newRow("SPL 94.2") << 94.2 << " ####.0#" << " 94.2";
    QTest::newRow("SPL 99.999 carry") << 99.999 << " ####.0#" << " 100.0";
    QTest::newRow("SPL 12345.6 beyond places") << 12345.6 << " ####.0#" << " 12345.6";

    // Microphone and rate texts.
    QTest::newRow("mic 1") << 1.0 << " ####" << " 1";
    QTest::newRow("mic 12") << 12.0 << " ####" << " 12";
    QTest::newRow("mic 2.6 rounds") << 2.6 << " ####" << " 3";
    QTest::newRow("mic 2.5 half away") << 2.5 << " ####" << " 3";
    QTest::newRow("mic 0 nothing") << 0.0 << " ####" << " ";
    QTest::newRow("mic 0.4 nothing") << 0.4 << " ####" << " ";
    QTest::newRow("binaural mic 1") << 1.0 << " #### " << " 1 ";
    QTest::newRow("binaural mic 0") << 0.0 << " #### " << "  ";
    QTest::newRow("rate 44100") << 44100.0 << " ###### " << " 44100 ";
    QTest::newRow("rate 22050") << 22050.0 << " ###### " << " 22050 ";

    // The regional test.
    QTest::newRow("grouping 10000000") << 10000000.0 << "###,###,###" << "10,000,000";
    QTest::newRow("grouping 1000") << 1000.0 << "###,###,###" << "1,000";
    QTest::newRow("grouping 999") << 999.0 << "###,###,###" << "999";
    QTest::newRow("grouping beyond places") << 1234567890123.0 << "###,###,###"
                                            << "1,234,567,890,123";
    QTest::newRow("decimals 13.456") << 13.456 << "###.#####" << "13.456";
    QTest::newRow("grouping with decimals") << 1234567.891 << "#,##0.00" << "1,234,567.89";

    // Zeros are always written, "#" only when significant.
    QTest::newRow("leading zeros") << 2.2 << "000.0" << "002.2";
    QTest::newRow("zeros beyond value") << 123.0 << "00000" << "00123";
    QTest::newRow("0 with 0") << 0.0 << "0" << "0";
    QTest::newRow("0 with #") << 0.0 << "#" << "";
    QTest::newRow("0 with #.#") << 0.0 << "#.#" << ".";
    QTest::newRow("tiny with #.#######") << 0.0000001 << "#.#######" << ".0000001";
    QTest::newRow("trailing zeros dropped") << 1.5 << "0.###" << "1.5";

    // Rounding on the decimal value, halves away from zero.
    QTest::newRow("2.675") << 2.675 << "0.00" << "2.68";
    QTest::newRow("1.005") << 1.005 << "0.00" << "1.01";
    QTest::newRow("0.125 exact half") << 0.125 << "0.00" << "0.13";
    QTest::newRow("9.995 carry") << 9.995 << "0.00" << "10.00";
    QTest::newRow("9.995 carry optional") << 9.995 << "#.##" << "10.";
    QTest::newRow("999.95 carry new digit") << 999.95 << "##0.0" << "1000.0";
    QTest::newRow("0.05 up") << 0.05 << "#.#" << ".1";
    QTest::newRow("0.04 down") << 0.04 << "#.#" << ".";
    QTest::newRow("1e-300 to zero") << 1e-300 << "0.00" << "0.00";

    // Sign sections.
    QTest::newRow("+#0.0 7.3") << 7.3 << "+#0.0;-#0.0" << "+7.3";
    QTest::newRow("+#0.0 -12.5") << -12.5 << "+#0.0;-#0.0" << "-12.5";
    QTest::newRow("+#0.0 zero") << 0.0 << "+#0.0;-#0.0" << "+0.0";
    QTest::newRow("+#0.0 -0.5") << -0.5 << "+#0.0;-#0.0" << "-0.5";
    QTest::newRow("+##0.0 50") << 50.0 << "+##0.0;-##0.0" << "+50.0";
    QTest::newRow("+##0.0 -62") << -62.0 << "+##0.0;-##0.0" << "-62.0";
    QTest::newRow("+##0.0 100") << 100.0 << "+##0.0;-##0.0" << "+100.0";
    QTest::newRow("negative section literals") << -4.0 << "0;(0)" << "(4)";
    QTest::newRow("negative without ;") << -3.0 << "0.0" << "-3.0";
    QTest::newRow("negative SPL without ;") << -3.0 << " ####.0#" << "- 3.0";
    QTest::newRow("negative half away") << -2.5 << "0" << "-3";
    QTest::newRow("empty negative section") << -3.0 << "0.0;" << "-3.0";

    // Literal characters are copied.
    QTest::newRow("literals around") << 3.0 << "x0.0x" << "x3.0x";
    QTest::newRow("literal after digits") << 7.0 << "0 dB" << "7 dB";

    // Huge values: every integer digit is written.
    QTest::newRow("1e300") << 1e300 << "0" << QString(QLatin1Char('1') + QString(300, u'0'));
    QTest::newRow("1e300 SPL") << 1e300 << " ####.0#"
                               << QString(QStringLiteral(" 1") + QString(300, u'0') + ".0");
    QTest::newRow("-1e300 sections") << -1e300 << "+#0;-#0"
                                     << QString(QStringLiteral("-1") + QString(300, u'0'));
    QTest::newRow("largest double 15 digits") << std::numeric_limits<double>::max() << "0"
                                              << QString(QStringLiteral("179769313486232")
                                                         + QString(294, u'0'));
}

void TestNumberFormat::format()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(formatNumber(value, pattern, NumberSymbols{}), expected);
}

void TestNumberFormat::formatOtherSymbols_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("grouping");
    QTest::addColumn<QString>("expected");

    const QString nbsp(QChar(0x00A0));
    QTest::newRow("comma decimal: grouping test") << 10000000.0 << "###,###,###" << "," << "."
                                                  << "10.000.000";
    QTest::newRow("comma decimal: decimal test") << 13.456 << "###.#####" << "," << "."
                                                 << "13,456";
    QTest::newRow("comma decimal SPL") << 94.25 << " ####.0#" << "," << "." << " 94,25";
    QTest::newRow("comma decimal grouped") << 1234.5 << "#,##0.00" << "," << "."
                                           << "1.234,50";
    QTest::newRow("nbsp grouping") << 1234567.0 << "#,##0" << "." << nbsp
                                   << QString("1" + nbsp + "234" + nbsp + "567");
    QTest::newRow("nbsp grouping test has no comma") << 10000000.0 << "###,###,###" << "."
                                                     << nbsp
                                                     << QString("10" + nbsp + "000" + nbsp + "000");
    QTest::newRow("apostrophe grouping") << 1000000.0 << "#,##0" << "." << "'" << "1'000'000";
}

void TestNumberFormat::formatOtherSymbols()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, decimal);
    QFETCH(QString, grouping);
    QFETCH(QString, expected);
    QCOMPARE(formatNumber(value, pattern, NumberSymbols{decimal, grouping}), expected);
}

void TestNumberFormat::formatNonFinite()
{
    const double inf = std::numeric_limits<double>::infinity();
    QCOMPARE(formatNumber(inf, u"0.0", NumberSymbols{}), QStringLiteral("inf"));
    QCOMPARE(formatNumber(-inf, u"0.0", NumberSymbols{}), QStringLiteral("-inf"));
    QCOMPARE(formatNumber(std::numeric_limits<double>::quiet_NaN(), u"0.0", NumberSymbols{}),
             QStringLiteral("nan"));
}

void TestNumberFormat::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    const double max = std::numeric_limits<double>::max();
    QTest::newRow("+50.0") << "+50.0" << 50.0;
    QTest::newRow("blank inside") << "1 2" << 12.0;
    QTest::newRow("unit after") << "7.5 Hz" << 7.5;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks only") << "   " << 0.0;
    QTest::newRow("comma ends") << "1,5" << 1.0;
    QTest::newRow("thousands comma ends") << "1,000" << 1.0;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("blank after sign") << "- 3" << -3.0;
    QTest::newRow("two signs") << "+-1" << 0.0;
    QTest::newRow("exponent E") << "1e3" << 1000.0;
    QTest::newRow("exponent D") << "1D3" << 1000.0;
    QTest::newRow("exponent d") << "2.5d2" << 250.0;
    QTest::newRow("letter without digits") << "1e" << 1.0;
    QTest::newRow("sign without digits") << "1e-" << 1.0;
    QTest::newRow("exponent plus") << "1e+2" << 100.0;
    QTest::newRow("exponent minus") << "100e-2" << 1.0;
    QTest::newRow("blank in exponent") << "1E 2" << 100.0;
    QTest::newRow("exponent then text") << "1e3x" << 1000.0;
    QTest::newRow("no exponent letter alone") << "e5" << 0.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("minus point") << "-.5" << -0.5;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("second point ends") << "1.2.3" << 1.2;
    QTest::newRow("leading zeros") << "00012" << 12.0;
    QTest::newRow("tabs and line feeds") << "\t7\n.\t5\n" << 7.5;
    QTest::newRow("carriage return ends") << "7\r5" << 7.0;
    QTest::newRow("digits then text") << "12abc" << 12.0;
    QTest::newRow("many digits") << "123456789012345678901234567890" << 1.2345678901234568e29;
    QTest::newRow("1e300") << "1e300" << 1e300;
    QTest::newRow("1e999 saturates") << "1e999" << max;
    QTest::newRow("-1e999 saturates") << "-1e999" << -max;
    QTest::newRow("1e-999 underflows") << "1e-999" << 0.0;
    QTest::newRow("0e999 is zero") << "0e999" << 0.0;
    QTest::newRow("0.001e-400 underflows") << "0.001e-400" << 0.0;
    QTest::newRow("0.001e400 saturates") << "0.001e400" << max;
}

void TestNumberFormat::read()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    const double value = readNumber(text);
    if (expected == 0.0)
        QCOMPARE(value, 0.0);
    else
        QVERIFY2(qFuzzyCompare(value, expected),
                 qPrintable(QString::number(value, 'g', 17) + " != "
                            + QString::number(expected, 'g', 17)));
}

void TestNumberFormat::scanDetails_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<bool>("outOfRange");
    QTest::addColumn<int>("length");

    QTest::newRow("unit after") << "7.5 Hz" << true << false << 3;
    QTest::newRow("blank inside") << "1 2x" << true << false << 3;
    QTest::newRow("letters") << "abc" << false << false << 0;
    QTest::newRow("point alone") << " ." << false << false << 0;
    QTest::newRow("exponent taken") << "1e3 " << true << false << 3;
    QTest::newRow("exponent letter left") << "1e" << true << false << 1;
    QTest::newRow("overflow") << "1e999" << true << true << 5;
    QTest::newRow("underflow") << "1e-999" << true << false << 6;
}

void TestNumberFormat::scanDetails()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(bool, outOfRange);
    QFETCH(int, length);
    const NumberScan scan = scanNumber(text);
    QCOMPARE(scan.found, found);
    QCOMPARE(scan.outOfRange, outOfRange);
    QCOMPARE(int(scan.length), length);
}

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
