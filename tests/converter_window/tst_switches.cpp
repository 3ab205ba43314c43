// SPDX-License-Identifier: MIT
// The octave-filter switch and the equalizer it opens, driven through the
// converter window with the equalizer's modal showing scripted.

#include "Brenvik.h"
#include "Equal.h"
#include "FakePlatform.h"
#include "Module1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString checkMark = QStringLiteral("\u221A");

template<typename T = QWidget> T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

void click(QWidget *w, const QString &name)
{
    QTest::mouseClick(child(w, name), Qt::LeftButton);
}

} // namespace

class TestSwitches : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void octaveFilterSwitch();
    void inputWhileEqualizerLoads_data();
    void inputWhileEqualizerLoads();
    void closingConverterWindowUnloadsEqualizer();
    void roadOfAConversion();

private:
    QString label2() const { return child<QLabel>(m_window.get(), "Label2")->text(); }

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Brenvik> m_window;
    QTemporaryDir m_dir;
};

void TestSwitches::init()
{
    filterFileName.clear();
    m_window.reset();
    m_platform = std::make_unique<FakePlatform>();
    m_platform->exeFolder = QCoreApplication::applicationDirPath();
    m_window = std::make_unique<Brenvik>(*m_platform);
    QVERIFY(m_window->Form_Load());
}

void TestSwitches::octaveFilterSwitch()
{
    // Saving in the equalizer turns the switch on with the saved name.
    const QString file = m_dir.filePath("saved.DAT");
    m_platform->dialogResults = {file};
    m_platform->modalScripts.push_back([](QDialog &eq) {
        click(&eq, "Command3D2");  // saves the flat filter and unloads
    });
    click(m_window.get(), "Label1");
    QCOMPARE(filterFileName, file);
    QCOMPARE(label2(), checkMark);
    QCOMPARE(m_window->equalizer(), nullptr);

    click(m_window.get(), "Label2");  // off: silently, the name is kept
    QCOMPARE(label2(), QString());
    QCOMPARE(filterFileName, file);
    QCOMPARE(m_platform->modalShows, 1);

    QString openedWith;
    m_platform->dialogResults = {file};
    m_platform->modalScripts.push_back([&](QDialog &eq) {
        openedWith = child<QLineEdit>(&eq, "Textfiltname")->text();  // starts from the name
        click(&eq, "Commbrowse");
        click(&eq, "Command3D1");  // cancel after a browse
    });
    click(m_window.get(), "Label2");
    QCOMPARE(openedWith, file);
    QCOMPARE(filterFileName, QString());
    QCOMPARE(label2(), QString());

    m_platform->modalScripts.push_back([](QDialog &eq) {
        child<QLineEdit>(&eq, "Textfiltname")->setText("typed only.DAT");
    });  // left with the close box
    click(m_window.get(), "Label2");
    QCOMPARE(filterFileName, QStringLiteral("typed only.DAT"));
    QCOMPARE(label2(), checkMark);
    QCOMPARE(m_platform->beeps, 3);  // one per opening
}

// Mouse input queued while the equalizer loads (reading its file and its
// activation let pending events run) reaches no handler of the converter
// window; the equalizer stays the one that was opened.
void TestSwitches::inputWhileEqualizerLoads_data()
{
    QTest::addColumn<bool>("withFile");  // else flat: the activation runs the events
    QTest::addColumn<QString>("target");
    QTest::addColumn<QList<int>>("events");
    const QList<int> click{QEvent::MouseButtonPress, QEvent::MouseButtonRelease};
    const QList<int> secondHalf{QEvent::MouseButtonPress, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease};
    QTest::newRow("box again, file being read") << true << "Label2" << click;
    QTest::newRow("text, at activation") << false << "Label1" << click;
    QTest::newRow("double-click's second half") << true << "Label2" << secondHalf;
    QTest::newRow("a mode option") << true << "timwav" << click;
    QTest::newRow("Exit") << false << "Command3D3" << click;
}

void TestSwitches::inputWhileEqualizerLoads()
{
    QFETCH(bool, withFile);
    QFETCH(QString, target);
    QFETCH(QList<int>, events);
    if (withFile) {
        filterFileName = m_dir.filePath("queued.DAT");
        QFile file(filterFileName);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(" 31.5 1 63 2 125 3 250 4 500 5 1000 6 2000 7 "
                                                                          "4000 8 8000 9 16000 10")) > 0);
    }
    m_platform->deliverPendingEvents = true;
    QWidget *receiver = child(m_window.get(), target);
    const QPointF at = receiver->rect().center();
    for (int type : events) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QCoreApplication::postEvent(receiver, new QMouseEvent(QEvent::Type(type), at, receiver->mapToGlobal(at),
                                                              Qt::LeftButton, held, Qt::NoModifier));
    }
    click(m_window.get(), "Label2");
    QCOMPARE(m_platform->modalShows, 1);
    QVERIFY(m_platform->pendingEventRuns > 0);
    QCOMPARE(label2(), withFile ? checkMark : QString());  // closed with the close box
    QVERIFY(child<QRadioButton>(m_window.get(), "velmwav")->isChecked() && m_window->modeVelmWav);
    QVERIFY(!child<QRadioButton>(m_window.get(), "timwav")->isChecked());
    QVERIFY(m_platform->messages.isEmpty() && m_platform->endCalls == 0);
    QCoreApplication::processEvents();  // nothing was left to run afterwards
    QCOMPARE(m_platform->modalShows, 1);
}

void TestSwitches::closingConverterWindowUnloadsEqualizer()
{
    filterFileName = QStringLiteral("gone.DAT");  // unreadable: a message, flat bands
    bool stillOpen = true;
    m_platform->modalScripts.push_back([&](QDialog &eq) {
        m_window->close();
        stillOpen = eq.isVisible();
    });
    click(m_window.get(), "Label2");
    QVERIFY(!stillOpen);
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(m_platform->messages[0].prompt.contains(QStringLiteral("gone.DAT")));
    QCOMPARE(filterFileName, QStringLiteral("gone.DAT"));
}

void TestSwitches::roadOfAConversion()
{
    // Simulation results -> .WAV: browse the source and the output, save an
    // equalizer curve, convert; the stand-in records what arrived.
    const QString source = m_dir.filePath("Hall._01"), output = m_dir.filePath("out");
    const QString filter = m_dir.filePath("road.DAT"), record = m_dir.filePath("road.jsonl");
    QFile(source).open(QIODevice::WriteOnly);
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
    m_platform->realStart = true;

    click(m_window.get(), "velmwav");
    m_platform->dialogResults = {source, output, filter};
    click(m_window.get(), "CommWav");
    click(m_window.get(), "CommLeft");
    m_platform->modalScripts.push_back([](QDialog &eq) {
        QTest::mouseClick(child(&eq, "VScroll1(4)"), Qt::LeftButton, {}, QPoint(4, 4));
        click(&eq, "Command3D2");
    });
    click(m_window.get(), "Label2");
    QVERIFY(QFile::exists(filter));
    click(m_window.get(), "Command3D2");

    const QString expected = QStringLiteral("pashet.exe \"%1\" \"%2.wav\" 1 44100 W \"%3\"").arg(source, output, filter);
    QCOMPARE(m_platform->starts.value(0).commandLine, expected);
    QVERIFY2(m_platform->messages.isEmpty(), qPrintable(m_platform->messages.value(0).prompt));
    QByteArray line;
    for (QDeadlineTimer deadline(10000); line.isEmpty() && !deadline.hasExpired(); QTest::qWait(20)) {
        QFile r(record);
        if (r.open(QIODevice::ReadOnly))
            line = r.readLine();
    }
    QVERIFY(line.startsWith("{\"program\": \"pashet\""));
    QVERIFY(line.contains(QStringLiteral("\"args\": [\"%1\", \"%2.wav\", \"1\", \"44100\", \"W\", \"%3\"]")
                              .arg(source, output, filter).toUtf8()));
    qunsetenv("BRENVIK_CONVERTER_RECORD");
}

QTEST_MAIN(TestSwitches)
#include "tst_switches.moc"
