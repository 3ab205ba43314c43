// The octave-filter switch and the equalizer it opens, driven through the
// converter window with the equalizer's modal showing scripted.

#include "Brenvik.h"
#include "Equal.h"
#include "FakePlatform.h"
#include "Module1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString checkMark = QStringLiteral("\u221A");

template<typename T> T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

void click(QWidget *w, const QString &name)
{
    QTest::mouseClick(child<QWidget>(w, name), Qt::LeftButton);
}

// Sets a band box and applies it with Enter.
void typeGain(QDialog &eq, int band, const QString &text)
{
    auto *box = child<QLineEdit>(&eq, QStringLiteral("Text1(%1)").arg(band));
    box->setText(text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class TestSwitches : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cancelKeepsSwitchOff();
    void saveTurnsSwitchOn();
    void reopeningReadsTheFile();
    void closeBoxKeepsTypedName();
    void flatOpeningBesideTheWindow();
    void closingConverterWindowUnloadsEqualizer();
    void roadOfAConversion();

private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Brenvik> m_window;
    QTemporaryDir m_dir;
};

void TestSwitches::init()
{
    filterFileName.clear();
    m_window.reset();
    m_platform = std::make_unique<FakePlatform>();
    m_window = std::make_unique<Brenvik>(*m_platform);
    QVERIFY(m_window->Form_Load());
}

void TestSwitches::cancelKeepsSwitchOff()
{
    const QString file = m_dir.filePath("loaded.DAT");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("31.5 6\r\n63 0\r\n125 0\r\n250 0\r\n500 0\r\n1000 0\r\n2000 0\r\n4000 0\r\n8000 0\r\n16000 0\r\n");
    f.close();
    m_platform->dialogResults = {file};
    QString afterBrowse;
    m_platform->modalScripts.push_back([&](QDialog &eq) {
        click(&eq, "Commbrowse");          // loads a file...
        afterBrowse = filterFileName;
        click(&eq, "Command3D1");          // ...then cancels
    });
    click(m_window.get(), "Label1");
    QCOMPARE(m_platform->modalShows, 1);
    QCOMPARE(afterBrowse, file);
    QCOMPARE(filterFileName, QString());
    QCOMPARE(child<QLabel>(m_window.get(), "Label2")->text(), QString());
    QCOMPARE(m_window->equalizer(), nullptr);
}

void TestSwitches::saveTurnsSwitchOn()
{
    const QString file = m_dir.filePath("saved.DAT");
    m_platform->dialogResults = {file};
    m_platform->modalScripts.push_back([](QDialog &eq) {
        typeGain(eq, 2, "7.3");
        click(&eq, "Command3D2");
    });
    click(m_window.get(), "Label2");
    QCOMPARE(filterFileName, file);
    QCOMPARE(child<QLabel>(m_window.get(), "Label2")->text(), checkMark);
    QVERIFY(QFile::exists(file));
    QCOMPARE(m_platform->dialogs.last().settings.FileName, QStringLiteral("*.DAT"));
    QCOMPARE(m_platform->dialogs.last().action, 2);

    // Off again: silently, and the name stays for the next opening.
    click(m_window.get(), "Label2");
    QCOMPARE(child<QLabel>(m_window.get(), "Label2")->text(), QString());
    QCOMPARE(filterFileName, file);
    QCOMPARE(m_platform->modalShows, 1);
}

void TestSwitches::reopeningReadsTheFile()
{
    const QString file = m_dir.filePath("reopen.DAT");
    m_platform->dialogResults = {file};
    m_platform->modalScripts.push_back([](QDialog &eq) {
        child<QLineEdit>(&eq, "Topp")->setText("20");
        QTest::keyClick(child<QLineEdit>(&eq, "Topp"), Qt::Key_Return);
        child<QLineEdit>(&eq, "Bottom")->setText("-20");
        QTest::keyClick(child<QLineEdit>(&eq, "Bottom"), Qt::Key_Return);
        typeGain(eq, 0, "12.5");
        click(&eq, "Command3D2");
    });
    click(m_window.get(), "Label2");
    click(m_window.get(), "Label2");  // off

    QString top, bottom, name, box;
    int position = 0;
    m_platform->dialogResults.clear();
    m_platform->modalScripts.push_back([&](QDialog &eq) {
        top = child<QLineEdit>(&eq, "Topp")->text();
        bottom = child<QLineEdit>(&eq, "Bottom")->text();
        name = child<QLineEdit>(&eq, "Textfiltname")->text();
        box = child<QLineEdit>(&eq, "Text1(0)")->text();
        position = static_cast<Equal &>(eq).sliderPosition(0);
        QCOMPARE(m_platform->dialogs.size(), 1);
        click(&eq, "Command3D2");  // the save dialog is cancelled: window stays
        QVERIFY(eq.isVisible());
    });
    click(m_window.get(), "Label2");
    QCOMPARE(top, QStringLiteral("+50.0"));      // the narrowed range is not kept
    QCOMPARE(bottom, QStringLiteral("-50.0"));
    QCOMPARE(name, file);
    QCOMPARE(box, QStringLiteral("+12.5"));
    QCOMPARE(position, 2500);
    QCOMPARE(m_platform->dialogs.last().settings.FileName, file);  // preset with the name
    QCOMPARE(child<QLabel>(m_window.get(), "Label2")->text(), checkMark);  // the close box kept it
}

void TestSwitches::closeBoxKeepsTypedName()
{
    m_platform->modalScripts.push_back([](QDialog &eq) {
        child<QLineEdit>(&eq, "Textfiltname")->setText("typed only.DAT");
    });  // the fake then closes the window with its close box
    click(m_window.get(), "Label2");
    QCOMPARE(filterFileName, QStringLiteral("typed only.DAT"));
    QCOMPARE(child<QLabel>(m_window.get(), "Label2")->text(), checkMark);
    QVERIFY(!QFile::exists("typed only.DAT"));
}

void TestSwitches::flatOpeningBesideTheWindow()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QPoint placed;
    QStringList boxes;
    int beepsSeen = 0;
    m_platform->modalScripts.push_back([&](QDialog &eq) {
        placed = eq.pos();
        beepsSeen = m_platform->beeps;
        for (int k = 0; k < 10; ++k)
            boxes << child<QLineEdit>(&eq, QStringLiteral("Text1(%1)").arg(k))->text();
        QCOMPARE(static_cast<Equal &>(eq).sliderPosition(5), 0);
        QCOMPARE(child<QLineEdit>(&eq, "Topp")->text(), QStringLiteral("+50.0"));
        QCOMPARE(child<QLineEdit>(&eq, "Bottom")->text(), QStringLiteral("-50.0"));
        click(&eq, "Command3D1");
    });
    click(m_window.get(), "Label2");
    const QRect frame = m_window->frameGeometry();
    QCOMPARE(placed, QPoint(frame.x() + frame.width(), frame.y()));
    QCOMPARE(beepsSeen, 1);
    QCOMPARE(boxes, QStringList(10, QStringLiteral(" 0.0")));
}

void TestSwitches::closingConverterWindowUnloadsEqualizer()
{
    filterFileName = QStringLiteral("kept.DAT");  // unreadable: a message, flat bands
    bool equalizerOpen = false;
    m_platform->modalScripts.push_back([&](QDialog &eq) {
        QVERIFY(m_window->equalizer());
        m_window->close();
        equalizerOpen = eq.isVisible();
    });
    click(m_window.get(), "Label2");
    QVERIFY(!equalizerOpen);
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(m_platform->messages[0].prompt.contains(QStringLiteral("kept.DAT")));
    QCOMPARE(filterFileName, QStringLiteral("kept.DAT"));
}

void TestSwitches::roadOfAConversion()
{
    // The simulation results -> .WAV road: browse the source and the output,
    // save an equalizer curve, convert; the stand-in records what arrived.
    const QString source = m_dir.filePath("Hall._01");
    QFile s(source);
    QVERIFY(s.open(QIODevice::WriteOnly));
    s.close();
    const QString output = m_dir.filePath("out");
    const QString filter = m_dir.filePath("road.DAT");
    const QString record = m_dir.filePath("road.jsonl");
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));

    m_window.reset();
    m_platform->exeFolder = QCoreApplication::applicationDirPath();
    m_platform->realStart = true;
    m_window = std::make_unique<Brenvik>(*m_platform);
    QVERIFY(m_window->Form_Load());

    click(m_window.get(), "velmwav");
    m_platform->dialogResults = {source, output, filter};
    click(m_window.get(), "CommWav");
    click(m_window.get(), "CommLeft");
    QCOMPARE(child<QLineEdit>(m_window.get(), "Wav")->text(), source);
    QCOMPARE(child<QLineEdit>(m_window.get(), "TimLeft")->text(), output + ".wav");
    m_platform->modalScripts.push_back([](QDialog &eq) {
        QTest::mouseClick(child<QScrollBar>(&eq, "VScroll1(4)"), Qt::LeftButton, {}, QPoint(4, 4));
        click(&eq, "Command3D2");
    });
    click(m_window.get(), "Label2");
    QVERIFY(QFile::exists(filter));
    click(m_window.get(), "Command3D2");

    QCOMPARE(m_platform->starts.size(), 1);
    QCOMPARE(m_platform->starts[0].commandLine,
             QStringLiteral("pashet.exe \"%1\" \"%2.wav\" 1 44100 W \"%3\"").arg(source, output, filter));
    QVERIFY2(m_platform->messages.isEmpty(), qPrintable(m_platform->messages.value(0).prompt));
    QDeadlineTimer deadline(10000);
    QByteArray line;
    while (line.isEmpty() && !deadline.hasExpired()) {
        QFile r(record);
        if (r.open(QIODevice::ReadOnly))
            line = r.readLine();
        QTest::qWait(20);
    }
    QVERIFY(line.startsWith("{\"program\": \"pashet\""));
    QVERIFY(line.contains(QStringLiteral("\"args\": [\"%1\", \"%2.wav\", \"1\", \"44100\", \"W\", \"%3\"]")
                              .arg(source, output, filter).toUtf8()));
    qunsetenv("BRENVIK_CONVERTER_RECORD");
}

QTEST_MAIN(TestSwitches)
#include "tst_switches.moc"
