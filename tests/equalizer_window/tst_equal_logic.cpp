#include "BandModel.h"
#include "FilterFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

BandModel modelWithRange(float bottom, float top)
{
    BandModel model;
    model.rangeBottom = bottom;
    model.rangeTop = top;
    return model;
}

FilterBands flatBands()
{
    FilterBands bands;
    bands.frequency = BandModel::DefaultFrequencies;
    return bands;
}

FilterReadResult readText(const QByteArray &text)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return readFilterBands(buffer);
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const QByteArray FlatFileText =
    " 31.5  0 \r\n 63  0 \r\n 125  0 \r\n 250  0 \r\n 500  0 \r\n"
    " 1000  0 \r\n 2000  0 \r\n 4000  0 \r\n 8000  0 \r\n 16000  0 \r\n";

} // namespace

class TestEqualLogic : public QObject
{
    Q_OBJECT

private slots:
    void positionToGain_data();
    void positionToGain();
    void gainToPosition_data();
    void gainToPosition();
    void gainToPositionUsesSinglePrecisionWidth();
    void plotY_data();
    void plotY();
    void toSingleSaturates();

    void numberText_data();
    void numberText();
    void flatFileByteForByte();
    void negativeNumbersTakeTheMinusInPlaceOfTheBlank();
    void roundTrip_data();
    void roundTrip();
    void lenientReader_data();
    void lenientReader();
    void readerStopsAfterTwentiethField();
    void badInput_data();
    void badInput();
    void separatorFloodIsBounded();
    void checkRejectsUnusableBands_data();
    void checkRejectsUnusableBands();

    void saveAndLoadFile();
    void saveReplacesExistingFileWithoutTraces();
    void saveFailures_data();
    void saveFailures();
    void saveOfBadBandsLeavesTargetAlone();
    void loadFailures();
};

void TestEqualLogic::positionToGain_data()
{
    QTest::addColumn<float>("bottom");
    QTest::addColumn<float>("top");
    QTest::addColumn<int>("position");
    QTest::addColumn<double>("gain");

    QTest::newRow("middle") << -50.0f << 50.0f << 0 << 0.0;
    QTest::newRow("top end") << -50.0f << 50.0f << 10000 << 50.0;
    QTest::newRow("bottom end") << -50.0f << 50.0f << -10000 << -50.0;
    QTest::newRow("7.3 dB grid point") << -50.0f << 50.0f << 1460 << 7.3;
    QTest::newRow("one arrow step") << -50.0f << 50.0f << 50 << 0.25;
    QTest::newRow("one page step") << -50.0f << 50.0f << 300 << 1.5;
    QTest::newRow("-50..+10 near zero") << -50.0f << 10.0f << 6667 << 0.001;
    QTest::newRow("widened -62..+50") << -62.0f << 50.0f << -10000 << -62.0;
}

void TestEqualLogic::positionToGain()
{
    QFETCH(float, bottom);
    QFETCH(float, top);
    QFETCH(int, position);
    QFETCH(double, gain);
    const double got = modelWithRange(bottom, top).PositionToGain(qint16(position));
    QVERIFY2(std::fabs(got - gain) < 1e-9, qPrintable(QString::number(got, 'g', 17)));
}

void TestEqualLogic::gainToPosition_data()
{
    QTest::addColumn<float>("bottom");
    QTest::addColumn<float>("top");
    QTest::addColumn<double>("gain");
    QTest::addColumn<int>("position");

    QTest::newRow("7.3 dB") << -50.0f << 50.0f << 7.3 << 1460;
    QTest::newRow("top") << -50.0f << 50.0f << 50.0 << 10000;
    QTest::newRow("bottom") << -50.0f << 50.0f << -50.0 << -10000;
    QTest::newRow("beyond the top clamps") << -50.0f << 50.0f << 80.0 << 10000;
    QTest::newRow("beyond the bottom clamps") << -50.0f << 50.0f << -1e30 << -10000;
    QTest::newRow("0 dB on -50..+10") << -50.0f << 10.0f << 0.0 << 6667;
    // On -10000..+10000 the position equals the gain, so the halves are exact.
    QTest::newRow("half to even: 0.5") << -10000.0f << 10000.0f << 0.5 << 0;
    QTest::newRow("half to even: 1.5") << -10000.0f << 10000.0f << 1.5 << 2;
    QTest::newRow("half to even: 2.5") << -10000.0f << 10000.0f << 2.5 << 2;
    QTest::newRow("half to even: -1.5") << -10000.0f << 10000.0f << -1.5 << -2;
    QTest::newRow("half to even: -2.5") << -10000.0f << 10000.0f << -2.5 << -2;
    QTest::newRow("not a half: 2.5000001") << -10000.0f << 10000.0f << 2.5000001 << 3;
}

void TestEqualLogic::gainToPosition()
{
    QFETCH(float, bottom);
    QFETCH(float, top);
    QFETCH(double, gain);
    QFETCH(int, position);
    QCOMPARE(int(modelWithRange(bottom, top).GainToPosition(gain)), position);
}

void TestEqualLogic::gainToPositionUsesSinglePrecisionWidth()
{
    // 1 - (-0.1f) rounds to 1.10000002f in single precision but is
    // 1.1000000015 in double. This gain sits exactly half-way between the
    // positions 0 and 1 with the single-precision width (so 0, the even
    // neighbour); with the double width it would be 0.5002, giving 1.
    const BandModel model = modelWithRange(-0.1f, 1.0f);
    const double widthSingle = double(1.0f - (-0.1f));
    const double gain = double(-0.1f) + (10000.5 * widthSingle / 20000.0);
    QCOMPARE(int(model.GainToPosition(gain)), 0);
}

void TestEqualLogic::plotY_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<float>("y");
    QTest::newRow("top") << 10000 << 300.0f;
    QTest::newRow("middle") << 0 << 1770.0f;
    QTest::newRow("bottom") << -10000 << 3240.0f;
    QTest::newRow("one page up") << 300 << 1725.9f;
}

void TestEqualLogic::plotY()
{
    QFETCH(int, position);
    QFETCH(float, y);
    QCOMPARE(::plotY(qint16(position)), y);
}

void TestEqualLogic::toSingleSaturates()
{
    QCOMPARE(toSingle(1e300), std::numeric_limits<float>::infinity());
    QCOMPARE(toSingle(-1e300), -std::numeric_limits<float>::infinity());
    QCOMPARE(toSingle(6.000000000000007), 6.0f);
}

void TestEqualLogic::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("31.5") << 31.5 << QByteArray("31.5");
    QTest::newRow("16000") << 16000.0 << QByteArray("16000");
    QTest::newRow("zero") << 0.0 << QByteArray("0");
    QTest::newRow("minus zero") << -0.0 << QByteArray("0");
    QTest::newRow("negative written by magnitude") << -12.5 << QByteArray("12.5");
    QTest::newRow("0.1 shortest") << 0.1 << QByteArray("0.1");
    QTest::newRow("quantised 7.3") << 7.299999999999997 << QByteArray("7.299999999999997");
    QTest::newRow("small, no exponent") << 1e-7 << QByteArray("0.0000001");
    QTest::newRow("large, no exponent") << 1e21 << QByteArray("1000000000000000000000");
}

void TestEqualLogic::numberText()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    QCOMPARE(filterNumberText(value), text);
}

void TestEqualLogic::flatFileByteForByte()
{
    QCOMPARE(filterFileText(flatBands()), FlatFileText);
}

void TestEqualLogic::negativeNumbersTakeTheMinusInPlaceOfTheBlank()
{
    FilterBands bands = flatBands();
    bands.gain[0] = -12.5;
    bands.gain[9] = 6.25;
    bands.frequency[1] = -0.0;
    const QList<QByteArray> lines = filterFileText(bands).split('\n');
    QCOMPARE(lines.size(), 11);  // ten lines and nothing after the last line end
    QCOMPARE(lines[0], QByteArray(" 31.5 -12.5 \r"));
    QCOMPARE(lines[1], QByteArray(" 0  0 \r"));
    QCOMPARE(lines[9], QByteArray(" 16000  6.25 \r"));
    QVERIFY(lines[10].isEmpty());
}

void TestEqualLogic::roundTrip_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("one third") << 1.0 / 3.0;
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2;
    QTest::newRow("quantised gain") << -50.0 + 100.0 * (11460.0 / 20000.0);
    QTest::newRow("tiny") << 1e-300;
    QTest::newRow("subnormal") << std::numeric_limits<double>::denorm_min();
    QTest::newRow("largest gain") << MaxFilterGain;
    QTest::newRow("negative awkward") << -123456.78901234567;
    QTest::newRow("2^-30") << std::ldexp(1.0, -30);
}

void TestEqualLogic::roundTrip()
{
    QFETCH(double, value);
    FilterBands bands = flatBands();
    for (int k = 0; k < BandCount; ++k)
        bands.gain[k] = k % 2 ? value : -value;
    bands.frequency[4] = value;
    bands.frequency[5] = std::numeric_limits<double>::max();
    const QByteArray text = filterFileText(bands);
    for (char c : text)
        QVERIFY(uchar(c) < 0x80);
    const FilterReadResult read = readText(text);
    QVERIFY2(read.ok(), qPrintable(read.error));
    for (int k = 0; k < BandCount; ++k) {
        QVERIFY(sameBits(read.bands.gain[k], bands.gain[k]));
        QVERIFY(sameBits(read.bands.frequency[k], bands.frequency[k]));
    }
}

void TestEqualLogic::lenientReader_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("ten lines") << FlatFileText;
    QTest::newRow("one line") << QByteArray(
        "31.5 0 63 0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000 0");
    QTest::newRow("commas") << QByteArray(
        "31.5,0,63,0,125,0,250,0,500,0,1000,0,2000,0,4000,0,8000,0,16000,0\r\n");
    QTest::newRow("tabs") << QByteArray(
        "31.5\t0\n63\t0\n125\t0\n250\t0\n500\t0\n1000\t0\n2000\t0\n4000\t0\n8000\t0\n16000\t0\n");
    QTest::newRow("mixed runs of separators") << QByteArray(
        " ,\t31.5 ,, 0\r\r\n63\t,0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000 0");
    QTest::newRow("other number forms") << QByteArray(
        "3.15E1 -0 6.3d1 +0 125. 0.0 250 .0 500 0e5 1000 0 2000 0 4000 0 8000 0 16000 0");
    QTest::newRow("whatever follows is ignored") << FlatFileText + "trailing junk \x01\x02";
}

void TestEqualLogic::lenientReader()
{
    QFETCH(QByteArray, text);
    const FilterReadResult read = readText(text);
    QVERIFY2(read.ok(), qPrintable(read.error));
    for (int k = 0; k < BandCount; ++k) {
        QCOMPARE(read.bands.frequency[k], BandModel::DefaultFrequencies[k]);
        QCOMPARE(read.bands.gain[k], 0.0);
    }
}

void TestEqualLogic::readerStopsAfterTwentiethField()
{
    QByteArray text = FlatFileText;
    text.append(QByteArray(16 * 1024 * 1024, 'x'));
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    const FilterReadResult read = readFilterBands(buffer);
    QVERIFY2(read.ok(), qPrintable(read.error));
    QVERIFY2(buffer.pos() <= 8192, qPrintable(QString::number(buffer.pos())));
}

void TestEqualLogic::badInput_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("reason");

    const QByteArray nineteen = "31.5 0 63 0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000";
    QTest::newRow("empty") << QByteArray() << "none of the twenty";
    QTest::newRow("only separators") << QByteArray(" \r\n,\t") << "none of the twenty";
    QTest::newRow("19 numbers") << nineteen << "only 19 of the twenty";
    QTest::newRow("word") << QByteArray("31.5 abc ") + nineteen << "the gain of band 1";
    QTest::newRow("number with unit") << QByteArray("31.5 7.3dB ") + nineteen << "\"7.3dB\"";
    QTest::newRow("nan") << QByteArray("nan 0 ") + nineteen << "the frequency of band 1";
    QTest::newRow("inf") << QByteArray("31.5 0 63 inf ") + nineteen << "the gain of band 2";
    QTest::newRow("1e999") << QByteArray("31.5 1e999 ") + nineteen << "too large";
    QTest::newRow("gain beyond 1e30") << QByteArray("31.5 -2e30 ") + nineteen << "1e30";
    QTest::newRow("binary junk") << QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00\x00", 10)
                                 << "not a number";
    QTest::newRow("endless digits") << QByteArray(100000, '7') << "too long";
}

void TestEqualLogic::badInput()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, reason);
    const FilterReadResult read = readText(text);
    QVERIFY(!read.ok());
    QVERIFY2(read.error.contains(reason), qPrintable(read.error));
}

void TestEqualLogic::separatorFloodIsBounded()
{
    QByteArray text(64 * 1024 * 1024, ' ');
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    const FilterReadResult read = readFilterBands(buffer);
    QVERIFY(!read.ok());
    QVERIFY(buffer.pos() <= MaxFilterScanBytes + 4096);
}

void TestEqualLogic::checkRejectsUnusableBands_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<bool>("isGain");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("reason");
    QTest::newRow("nan gain") << 3 << true << std::nan("") << "gain of band 4";
    QTest::newRow("infinite frequency")
        << 0 << false << std::numeric_limits<double>::infinity() << "frequency of band 1";
    QTest::newRow("huge gain") << 9 << true << 1e31 << "limit";
}

void TestEqualLogic::checkRejectsUnusableBands()
{
    QFETCH(int, band);
    QFETCH(bool, isGain);
    QFETCH(double, value);
    QFETCH(QString, reason);
    FilterBands bands = flatBands();
    QVERIFY(checkFilterBands(bands).isEmpty());
    (isGain ? bands.gain : bands.frequency)[band] = value;
    const QString problem = checkFilterBands(bands);
    QVERIFY2(problem.contains(reason), qPrintable(problem));
}

void TestEqualLogic::saveAndLoadFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("flat.DAT"));
    QCOMPARE(saveFilterFile(name, flatBands()), QString());
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), FlatFileText);
    const FilterReadResult read = loadFilterFile(name);
    QVERIFY(read.ok());
    QCOMPARE(read.bands.frequency, BandModel::DefaultFrequencies);
}

void TestEqualLogic::saveReplacesExistingFileWithoutTraces()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("old.DAT"));
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'z'));
    }
    QCOMPARE(saveFilterFile(name, flatBands()), QString());
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), FlatFileText);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("old.DAT")});
}

void TestEqualLogic::saveFailures_data()
{
    QTest::addColumn<QString>("relativeName");
    QTest::newRow("missing folder") << QStringLiteral("no-such-folder/x.DAT");
    QTest::newRow("folder is a file") << QStringLiteral("plain.txt/x.DAT");
    QTest::newRow("name of a folder") << QStringLiteral("sub");
}

void TestEqualLogic::saveFailures()
{
    QFETCH(QString, relativeName);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    {
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }
    const QString error = saveFilterFile(dir.filePath(relativeName), flatBands());
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{QStringLiteral("plain.txt"), QStringLiteral("sub")}));
}

void TestEqualLogic::saveOfBadBandsLeavesTargetAlone()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("keep.DAT"));
    QCOMPARE(saveFilterFile(name, flatBands()), QString());
    FilterBands bad = flatBands();
    bad.gain[2] = std::numeric_limits<double>::infinity();
    QVERIFY(saveFilterFile(name, bad).contains(QStringLiteral("band 3")));
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), FlatFileText);
}

void TestEqualLogic::loadFailures()
{
    QTemporaryDir dir;
    const FilterReadResult missing = loadFilterFile(dir.filePath(QStringLiteral("none.DAT")));
    QVERIFY(missing.error.contains(QStringLiteral("cannot be opened")));
    const FilterReadResult folder = loadFilterFile(dir.path());
    QVERIFY(folder.error.contains(QStringLiteral("folder")));
}

QTEST_GUILESS_MAIN(TestEqualLogic)
#include "tst_equal_logic.moc"
