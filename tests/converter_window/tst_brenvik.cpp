// SPDX-License-Identifier: MIT
// The converter window through its named controls, with a scripted host: start-up, the mode
// handlers, the keyboard, "OK - Convert!", the file dialogs, the switches and the equalizer
// they open.

#include "Brenvik.h"
#include "FakePlatform.h"
#include "Module1.h"
#include "RowCheck.h"
#include "StartUp.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

const QString checkMark = QStringLiteral("\u221A");

// One row of a table: start with a keyword (nullptr: no start-up at all), act, then probe.
struct Row { const char *keyword, *steps, *probes; QString expected; };

// The window under test with its fake host; controls are found by name.
struct Window
{
    FakePlatform platform;
    std::unique_ptr<Brenvik> w;

    explicit Window(const char *keyword = "")
    {
        platform.arguments = QString::fromLatin1(keyword);
        w = std::make_unique<Brenvik>(platform);
        if (keyword)
            w->Form_Load();
    }
    QWidget *get(const QString &name) const
    {
        auto *child = w->findChild<QWidget *>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    void showActive() const
    {
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    // Blank-separated steps: a key name is pressed on the focused control ("Backtab" is
    // Shift+Tab), ">Name" gives a control the focus, "Name=text" fills a box, "Name" clicks
    // a control. The host: "@case" (names ignore case), "@decimal=," and "@grouping=.",
    // "@answer=7" (the next message box's answer), "@choose=name" (the next dialog's choice),
    // "@error=text" (what starting a program gives), "@folders=dir" (the one folder there is),
    // "@wine" (the converter is a Windows program under a Wine drive Z: on /),
    // "@unstartable=text" (what the host says of a converter it cannot start).
    void act(const QString &steps)
    {
        static const QHash<QString, Qt::Key> keys = {
            {"Tab", Qt::Key_Tab}, {"Backtab", Qt::Key_Backtab}, {"Up", Qt::Key_Up},
            {"Down", Qt::Key_Down}, {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right},
            {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Space", Qt::Key_Space}};
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QString name = step.section(u'=', 0, 0), value = step.section(u'=', 1);
            if (keys.contains(step))
                QTest::keyClick(QApplication::focusWidget(), keys[step]);
            else if (step == "@case")
                platform.ignoreCase = true;
            else if (name == "@decimal")
                platform.symbols.decimal = value;
            else if (name == "@grouping")
                platform.symbols.grouping = value;
            else if (name == "@answer")
                platform.answers.push_back(value.toInt());
            else if (name == "@choose")
                platform.dialogResults.push_back(value);
            else if (name == "@error")
                platform.startError = value;
            else if (name == "@folders")
                platform.existingFolders = {value};
            else if (step == "@wine")
                platform.converter.wineDrives = QList<WineDrive>{{u'Z', "/"}};
            else if (name == "@unstartable")
                platform.converter.error = value;
            else if (step.startsWith(u'>'))
                get(step.mid(1))->setFocus(Qt::TabFocusReason);
            else if (step.contains(u'='))
                static_cast<QLineEdit *>(get(name))->setText(value);
            else
                QTest::mouseClick(get(step), Qt::LeftButton);
        }
    }
    // The state asked for by blank-separated probes, joined by "|": "Name" is the text of a
    // box, label or button or a frame's title; "Name?" 1 when shown, "Name!" 1 when enabled,
    // "Name*" 1 when selected, "Name^" its top, "Name@" its geometry; "modes" the five mode
    // flags; "focus"; "selected" (the selected options); "messages", "starts", "dialogs",
    // "ends", "beeps" (how many so far); "message" the last one's style and title, "prompt"
    // its text; "start" the last start's window style, folder and command line; "dialog" the
    // last dialog's action, filter, preset, index, flags and folder; "initdir".
    QString probe(const QString &probes) const
    {
        QStringList out;
        const FakePlatform &p = platform;
        const FakePlatform::Message message = p.messages.value(p.messages.size() - 1);
        const FakePlatform::Start start = p.starts.value(p.starts.size() - 1);
        const FakePlatform::Dialog dialog = p.dialogs.value(p.dialogs.size() - 1);
        for (const QString &what : probes.split(u' ', Qt::SkipEmptyParts)) {
            const QChar kind = what.back();
            QWidget *c = QStringLiteral("?!*^@").contains(kind) ? get(what.chopped(1)) : nullptr;
            if (kind == u'?' || kind == u'!' || kind == u'*')
                out << QString::number(kind == u'?' ? !c->isHidden() : kind == u'!' ? c->isEnabled()
                                                                                      : static_cast<QAbstractButton *>(c)->isChecked());
            else if (kind == u'^')
                out << QString::number(c->y());
            else if (kind == u'@')
                out << QStringLiteral("%1,%2,%3,%4").arg(c->x()).arg(c->y()).arg(c->width()).arg(c->height());
            else if (what == "modes")
                out << QStringLiteral("%1%2%3%4%5").arg(w->modeTimWav).arg(w->modeWavTim).arg(w->modeBkTim)
                           .arg(w->modeVelmTim).arg(w->modeVelmWav);
            else if (what == "focus")
                out << QApplication::focusWidget()->objectName();
            else if (what == "selected") {
                QStringList names;
                for (const QRadioButton *option : w->findChildren<QRadioButton *>())
                    if (option->isChecked())
                        names << option->objectName();
                names.sort();
                out << names.join(u' ');
            } else if (what == "messages" || what == "starts" || what == "dialogs" || what == "ends" || what == "beeps")
                out << QString::number(what == "messages" ? p.messages.size() : what == "starts" ? p.starts.size()
                                       : what == "dialogs" ? p.dialogs.size() : what == "ends" ? p.endCalls : p.beeps);
            else if (what == "message")
                out << QStringLiteral("%1 %2").arg(message.style).arg(message.title);
            else if (what == "prompt")
                out << message.prompt;
            else if (what == "start")
                out << QStringLiteral("%1 %2 %3").arg(start.windowStyle).arg(start.currentDirectory, start.commandLine);
            else if (what == "dialog")
                out << QStringLiteral("%1 %2 %3 %4 %5 %6").arg(dialog.action).arg(dialog.settings.Filter, dialog.settings.FileName)
                           .arg(dialog.settings.FilterIndex).arg(dialog.settings.Flags).arg(dialog.settings.InitDir);
            else if (what == "initdir")
                out << w->CMDialog1.InitDir;
            else if (auto *edit = qobject_cast<QLineEdit *>(get(what)))
                out << edit->text();
            else if (auto *frame = qobject_cast<QGroupBox *>(get(what)))
                out << frame->title();
            else
                out << get(what)->property("text").toString();
        }
        return out.join(u'|');
    }
    // Runs the rows of a table, each on a fresh window; shown and active when `active`.
    static void run(const QList<Row> &rows, bool active = false)
    {
        for (const Row &r : rows) {
            Window t(r.keyword);
            if (active)
                t.showActive();
            t.act(QString::fromUtf8(r.steps));
            ROW_COMPARE(QStringLiteral("%1: %2").arg(r.keyword, QString::fromUtf8(r.steps)),
                        t.probe(QString::fromLatin1(r.probes)), r.expected);
        }
    }
};

} // namespace

class TestBrenvik : public QObject
{
    Q_OBJECT

private slots:
    void init() { filterFileName.clear(); }
    void startUp();
    void modes();
    void keyboard();
    void convert();
    void exitAndHelp();
    void fileDialogs();
    void channelDetection();
    void switches();
    void inputWhileEqualizerLoads_data();
    void inputWhileEqualizerLoads();
};

void TestBrenvik::startUp()
{
    // Built from the layout table (edges rounded from twips), in its designed state.
    QCOMPARE(Window(nullptr).probe("Frame3D6@ velmwav@ selected modes"),
             "16,128,245,37|144,16,113,13|IRmode Opt44 StereoOpt wavtim|00000");
    // Only the decimal symbol counts at start-up; a failed one shows nothing and ends the program.
    for (const char *decimal : {".", ","}) {
        Window t(nullptr);
        t.act(QStringLiteral("@decimal=") + decimal + " @grouping='");
        const bool ok = *decimal == '.';
        QCOMPARE(startConverterWindow(*t.w), ok ? ExitStatus::Ok : ExitStatus::StartFailed);
        QCOMPARE(t.w->isVisible(), ok);
        QCOMPARE(t.probe("messages ends message modes initdir"),
                 ok ? "0|0|0 |00001|/opt/brenvik" : "1|1|16 Unrecoverable Error|00000|");
    }
    Window::run({{"BKTOTIM", "", "modes Command3D1 bktim* bktim?", "00100|B&&K ---> .TIM|1|0"}});
}

void TestBrenvik::modes()
{
    const char *layout = "Frame3D2^ Frame3D2 Frame3D3^ Frame3D3 Panel3D2? Panel3D2 ExpSPL Frame3D4? TimRight? Frame3D5? "
                         "Frame3D6? Frame3D7?";
    Window::run({
        {"TIMTOWAV", "", layout, "248|.WAV file name|168|.TIM file names|0|Expected SPL Value (dB) =|100.0|1|1|0|0|0"},
        {"WAVTOTIM", "", layout, "168|.WAV file name|248|.TIM file names|1|Expected SPL Value (dB) =|100.0|1|1|1|0|0"},
        {"BKTOTIM", "", layout, "168|B&&K 2133 file name|248|.TIM file names|1|Expected SPL Value (dB) =|100.0|1|1|1|0|0"},
        {"VELMTOTIM", "", layout, "168|._* File name|248|.TIM file name|1|Microphone Number =|1|0|0|0|1|1"},
        {"VELMTOWAV", "", layout, "168|._* File name|248|.WAV File name|1|Microphone Number =|1|0|0|0|1|1"},
        // Each mode adapts the names it keeps; from B&K, which adapts nothing.
        {"BKTOTIM", "@case Wav=Hall.WAV TimLeft=Room.WAV wavtim", "Wav TimLeft", "hall.wav|room.tim"},
        {"BKTOTIM", "@case Wav=Hall._1A TimLeft=Room.WAV velmtim", "Wav TimLeft", "hall._1a|room.tim"},
        {"BKTOTIM", "@case Wav=Hall._1A TimLeft=Room.TIM velmwav", "Wav TimLeft", "hall._1a|room.wav"},
        {"BKTOTIM", "Wav=Hall._1A TimLeft=ROOM.WAV velmwav", "Wav TimLeft", "Hall._1A|ROOM.WAV"},  // Mono's "tim" and back
        {"BKTOTIM", "@case Wav=hall._1a TimLeft=a.tim wavtim", "Wav TimLeft", "|a.tim"},
        {"BKTOTIM", "Wav=x.wav TimLeft=room.txt timwav", "Wav TimLeft", "x.wav|"},
        {"BKTOTIM", "TimLeft=Room.TXT Command3D1", "modes TimLeft", "00100|Room.TXT"},  // outside the title cycle
        // The title cycle; the selected mode again runs its handler again.
        {"", "Command3D1 Command3D1", "modes", "01000"},
        {"", "Command3D1 Command3D1 Command3D1 Command3D1", "modes", "00001"},
        {"", "ExpSPL=7 velmwav", "ExpSPL", "1"},
        {"", "OptBin velmtim", "OptBin! Opt44*", "0|1"},
        {"", "OptBin velmtim velmwav", "OptBin! OptBin*", "1|0"},
        // Mono adapts the left name and hides the right one, which keeps its text; Mono stays.
        {"TIMTOWAV", "TimLeft=Left.WAV TimRight=r.tim MonoOpt", "TimRight? CommRight? Frame3D3 TimLeft TimRight",
         "0|0|.TIM file name|Left.TIM|r.tim"},
        {"TIMTOWAV", "MonoOpt TimLeft=Other.WAV StereoOpt", "TimRight? Frame3D3 TimLeft", "1|.TIM file names|Other.WAV"},
        {"TIMTOWAV", "MonoOpt velmtim wavtim", "MonoOpt* Frame3D4?", "1|1"},
    });
}

void TestBrenvik::keyboard()
{
    // Three Tab cycles from the title button; between them clicks and arrow keys that
    // end in the starting mode. Whatever had the focus, each cycle is the designed one.
    const QString front = "Command3D2 Command3D3 Wav CommWav ExpSPL TimLeft CommLeft ";
    const struct { const char *keyword; QString cycle; const char *between; } rows[] = {
        {"WAVTOTIM", front + "TimRight CommRight StereoOpt IRmode wavtim SSCommand1 Command3D1",
         "MonoOpt Right Scopemode Left timwav Up"},
        {"BKTOTIM", front + "TimRight CommRight StereoOpt IRmode wavtim SSCommand1 Command3D1",
         "MonoOpt Left Scopemode Right"},
        {"TIMTOWAV", "Command3D2 Command3D3 Wav CommWav TimLeft CommLeft TimRight CommRight StereoOpt "
                     "wavtim SSCommand1 Command3D1", "MonoOpt StereoOpt velmtim Up"},
        {"VELMTOTIM", front + "wavtim SSCommand1 Command3D1", "Opt48 Right velmwav Up"},
        {"VELMTOWAV", front + "wavtim SSCommand1 Command3D1", "OptBin Left Left Right velmtim Down"},
    };
    for (const auto &r : rows) {
        Window t(r.keyword);
        t.showActive();
        const QString modes = t.probe("modes");
        for (int round = 1; round <= 3; ++round) {
            if (round > 1)
                t.act(QString::fromLatin1(r.between));
            ROW_COMPARE(r.keyword, t.probe("modes"), modes);
            t.act(">Command3D1");
            QStringList visited;
            for (qsizetype i = 0; i < r.cycle.count(u' ') + 1; ++i) {
                t.act("Tab");
                visited << t.probe("focus");
            }
            ROW_COMPARE(QStringLiteral("%1, cycle %2").arg(r.keyword).arg(round), visited.join(u' '), r.cycle);
        }
    }

    // Arrow keys select among the shown, enabled options of their own group only, running
    // the handler a click runs, also from a designed Tab stop left unselected; Tab from an
    // option that is no Tab stop goes on to the next Tab index. Enter and Space press the
    // focused button; Enter in a box presses none.
    const char *arrows = "focus modes selected TimRight?";
    Window::run({
        {"VELMTOWAV", "Backtab Backtab Left Left", arrows, "velmtim|00010|IRmode MonoOpt Opt44 velmtim|0"},
        {"BKTOTIM", "Backtab Backtab Up", arrows, "velmwav|00001|IRmode MonoOpt Opt44 velmwav|0"},
        {"WAVTOTIM", "Backtab Backtab Backtab Right Right Right", arrows, "Scopemode|01000|Opt44 Scopemode StereoOpt wavtim|1"},
        {"TIMTOWAV", "MonoOpt Up", arrows, "StereoOpt|10000|IRmode Opt44 StereoOpt timwav|1"},
        {"VELMTOTIM", "Opt44 Right Right Tab", arrows, "wavtim|00010|IRmode MonoOpt Opt44 velmtim|0"},
        {"WAVTOTIM", "Backtab Backtab Backtab Backtab Right Tab Tab", arrows, "IRmode|01000|IRmode MonoOpt Opt44 wavtim|0"},
        {"VELMTOWAV", ">Command3D1 Return", "modes messages starts dialogs", "00010|0|0|0"},
        {"WAVTOTIM", ">Command3D2 Enter", "modes messages starts dialogs", "01000|1|0|0"},
        {"WAVTOTIM", ">CommLeft Space", "modes messages starts dialogs", "01000|0|0|1"},
        {"WAVTOTIM", ">ExpSPL Return", "modes messages starts dialogs", "01000|0|0|0"},
    }, true);

    // A mouse click selects the whole text and does not undo it at once.
    Window t("WAVTOTIM");
    t.showActive();
    QTest::mouseClick(t.get("ExpSPL"), Qt::LeftButton, {}, QPoint(3, t.get("ExpSPL")->height() / 2));
    QTRY_COMPARE(static_cast<QLineEdit *>(t.get("ExpSPL"))->selectedText(), QStringLiteral("100.0"));
}

void TestBrenvik::convert()
{
    const QString keldt = R"(KELDT.EXE "IN.WAV" "L.TIM" "NONE" 100.0 1)";
    Window::run({
        // Regional settings: the question; Yes opens the panel; nothing is completed.
        {"WAVTOTIM", "@decimal=, @grouping=. @answer=7 Wav=IN Command3D2", "messages message starts Wav",
         "1|20 Warning - incompatible settings!|0|IN"},
        {"WAVTOTIM", "@decimal=, @grouping=. Wav=IN Command3D2", "start Wav", "1 / rundll32.exe shell32.dll,Control_RunDLL intl.cpl|IN"},
        {"WAVTOTIM", "@decimal=, @error=none Wav=IN Command3D2", "messages message prompt", "2|48 Warning - incompatible settings!|none"},
        // Refused names: every field as it was.
        {"TIMTOWAV", "StereoOpt Wav=a TimLeft=b Command3D2", "starts message prompt Wav",
         "0|48 File Specification Error|CAUTION! - You Must Specify the name of all the files!|a"},
        {"WAVTOTIM", "Wav=IN\"x TimLeft=L TimRight=R Command3D2", "starts prompt Wav",
         "0|The file name IN\"x cannot be handed to the converter: a file name must not contain a double quote (\") or a "
         "NUL character, nor end in a backslash (\\). Please correct it.|IN\"x"},
        {"WAVTOTIM", "@folders=/elsewhere MonoOpt Wav=IN TimLeft=L Command3D2", "starts message prompt",
         "0|48 Conversion Error|The working folder /opt/brenvik cannot be used: it does not exist or cannot be entered. "
         "The converter was not started."},
        {nullptr, "Wav=a TimLeft=b TimRight=c Command3D2", "starts message prompt", "0|48 Conversion Error|No conversion mode is selected."},
        // Started in the working folder; the right name is completed though mono.
        {"BKTOTIM", "MonoOpt Wav=a TimLeft=b Command3D2", "start", R"(1 /opt/brenvik TOMBRA.EXE "a.WAV" "b.TIM" NONE 100.0 1)"},
        {"WAVTOTIM", "MonoOpt Wav=IN TimLeft=L TimRight=R ExpSPL=100 Command3D2", "messages start Wav TimLeft TimRight",
         "0|1 /opt/brenvik " + keldt + "|IN.WAV|L.TIM|R.TIM"},
        {"WAVTOTIM", "@error=gone MonoOpt Wav=IN TimLeft=L Command3D2", "start message prompt", "1 /opt/brenvik " + keldt + "|48 Conversion Error|gone"},
        // A Windows converter under Wine: names in Windows form, the fields keep the host's;
        // a name Windows does not allow is refused; a converter that cannot start is reported.
        {"TIMTOWAV", "@wine MonoOpt Wav=/data/out TimLeft=rel/l Command3D2", "start Wav",
         R"(1 /opt/brenvik ZARVO.EXE "Z:\data\out.WAV" "rel\l.TIM"|/data/out.WAV)"},
        {"TIMTOWAV", "@wine MonoOpt Wav=/data/out TimLeft=a:b Command3D2", "starts message prompt",
         "0|48 File Specification Error|The file name a:b.TIM cannot be handed to the Windows converter ZARVO.EXE: it "
         "holds a character that Windows does not allow in names (: * ? < > | or a control character). Please correct it."},
        {"TIMTOWAV", "@unstartable=no MonoOpt Wav=a TimLeft=b Command3D2", "starts message prompt", "0|48 Conversion Error|no"},
    });
}

void TestBrenvik::exitAndHelp()
{
    Window t(nullptr);
    t.platform.exeFolder = "C:\\Program Files\\Conv";
    t.platform.ignoreCase = true;
    t.platform.separator = u'\\';
    t.w->Form_Load();
    t.act("@answer=7 Command3D3 @answer=6 Command3D3 SSCommand1");
    QCOMPARE(t.probe("messages ends beeps message prompt start"),
             R"(2|1|2|52 Warning!|Really do You want to exit ?|1 / Explorer C:\PROGRAM FILES\CONV\Manual\MBrenvik.mht)");
    t.act("@error=gone SSCommand1");
    QCOMPARE(t.probe("message prompt"), "48 Help|gone");

    Window posix(nullptr);  // a "\" in a folder name stays
    posix.platform.exeFolder = "/opt/a\\b";
    posix.w->Form_Load();
    posix.act("SSCommand1");
    QCOMPARE(posix.probe("start"), R"(1 / Explorer /opt/a\b/Manual/MBrenvik.mht)");
}

void TestBrenvik::fileDialogs()
{
    // The dialog each "Browse..." shows (a dialog left unscripted is cancelled, leaving the field).
    const QString wav = "MS RIFF Audio File (*.WAV)|*.WAV", tim = "MLSSA Imp.Resp. File (*.TIM)|*.TIM";
    const QString bk = "2Ch. Time File (*.DTI)|*.DTI|Ch.A Time File (*.TIA)|*.TIA|Ch.B Time File (*.TIB)|*.TIB";
    const auto dialog = [](int action, const QString &filter, const char *preset) {
        return QStringLiteral("%1 %2 %3 1 0 /opt/brenvik").arg(action).arg(filter, QString::fromLatin1(preset));
    };
    Window::run({
        {"TIMTOWAV", "TimLeft=Room.TIM CommLeft", "dialog TimLeft", dialog(1, tim, "Room.TIM") + "|Room.TIM"},
        {"VELMTOWAV", "TimLeft=room.tim CommLeft", "dialog TimLeft", dialog(2, wav, "*.WAV") + "|room.tim"},
        {"WAVTOTIM", "CommRight", "dialog", dialog(2, tim, "*.TIM")},
        {"TIMTOWAV", "Wav=keep.wav CommWav", "dialog Wav", dialog(2, wav, "*.WAV") + "|keep.wav"},
        {"WAVTOTIM", "CommWav", "dialog", dialog(1, wav, "*.WAV")},
        {"BKTOTIM", "CommWav", "dialog", dialog(1, bk, "*.DTI")},
        {"VELMTOTIM", "CommWav", "dialog", dialog(1, "Velmora files (*._*)|*._*", "*._*")},
        // A choice is completed (lower-cased where names ignore case); later dialogs leave workDir.
        {"WAVTOTIM", R"(@case @choose=C:\DATA\take1 CommLeft)", "TimLeft initdir", R"(c:\data\take1.tim|)"},
        {"WAVTOTIM", R"(@case @choose=c:\my.data\take1 CommLeft)", "TimLeft", R"(c:\my.data\take1)"},
        {"VELMTOWAV", "@choose=/m/Take1 CommLeft", "TimLeft", "/m/Take1.wav"},
        {"TIMTOWAV", "@case @choose=R CommRight", "TimRight", "r.tim"},
        {"TIMTOWAV", "@choose=/m/Out CommWav", "Wav", "/m/Out.wav"},
        {"BKTOTIM", "@choose=/m/take CommWav", "Wav", "/m/take.dti"},
        {"VELMTOWAV", "@choose=/m/hall CommWav", "Wav", "/m/hall"},
    });
}

void TestBrenvik::channelDetection()
{
    QByteArray wavMono(44, '\0'), wav257(44, '\0'), bkStereo(2048, '\0');
    wavMono[22] = 1;
    wav257[22] = wav257[23] = 1;
    bkStereo[1604] = 3;
    bkStereo[1605] = 7;
    QByteArray bkOneZero = bkStereo;
    bkOneZero[1605] = 0;
    const QByteArray missing = "<missing>", pipe = "<pipe>";  // a pipe is never waited for
    const struct { const char *row, *keyword; QByteArray content; bool stereo; } rows[] = {
        {"wav mono", "WAVTOTIM", wavMono, false}, {"wav 257 channels", "WAVTOTIM", wav257, true},
        {"wav 21 bytes", "WAVTOTIM", QByteArray(21, '\1'), true}, {"wav missing", "WAVTOTIM", missing, true},
        {"wav pipe", "WAVTOTIM", pipe, true}, {"bk stereo", "BKTOTIM", bkStereo, true},
        {"bk one zero", "BKTOTIM", bkOneZero, false}, {"bk short", "BKTOTIM", QByteArray(1605, '\1'), false},
    };
    for (const auto &r : rows) {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Take One.wav"));
        if (r.content == pipe) {
            QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0644) == 0);
        } else if (r.content != missing) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(r.content) == r.content.size());
        }
        Window t(r.keyword);
        t.act(r.stereo ? "MonoOpt" : "StereoOpt");  // start from the other choice
        t.platform.dialogResults = {name};
        t.act("CommWav");
        ROW_COMPARE(r.row, t.probe("StereoOpt* TimRight?"), r.stereo ? "1|1" : "0|0");
    }
}

// The force-pink switch, and the octave-filter switch with the equalizer it opens (its modal
// showing scripted; the fake ends it with the close box).
void TestBrenvik::switches()
{
    Window t;
    t.act("Label4");  // the text toggles like the box
    QCOMPARE(t.probe("Label3 messages message"), checkMark + "|1|0 Force Pink Information");
    QCOMPARE(t.platform.messages[0].prompt.split(u'\r').size(), 5);
    t.act("Label3");
    QCOMPARE(t.probe("Label3 messages"), "|1");  // off silently
    t.act("Label3 wavtim velmwav");  // the state survives other modes
    QCOMPARE(t.probe("Label3"), checkMark);
    // A double-click through the window system is one click.
    t.act("Label3");
    t.showActive();
    QWidget *text = t.get("Label4");
    QTest::mouseDClick(t.w->windowHandle(), Qt::LeftButton, {}, text->mapTo(t.w.get(), text->rect().center()));
    QCOMPARE(t.probe("Label3 messages"), checkMark + "|3");

    // Saving in the equalizer turns the switch on with the saved name; off keeps the name;
    // the next opening starts from it, and a cancel after a browse clears it; a name typed
    // and left with the close box stays. One beep per opening.
    QTemporaryDir dir;
    const QString file = dir.filePath("saved.DAT");
    const auto click = [](QWidget *w, const char *name) { QTest::mouseClick(w->findChild<QWidget *>(name), Qt::LeftButton); };
    QString openedWith;
    t.platform.dialogResults = {file, file};
    t.platform.modalScripts = {
        [&](QDialog &eq) { click(&eq, "Command3D2"); },
        [&](QDialog &eq) {
            openedWith = eq.findChild<QLineEdit *>("Textfiltname")->text();
            click(&eq, "Commbrowse");
            click(&eq, "Command3D1");
        },
        [&](QDialog &eq) { eq.findChild<QLineEdit *>("Textfiltname")->setText("typed only.DAT"); }};
    t.act("Label1");
    QCOMPARE(t.probe("Label2") + filterFileName, checkMark + file);
    QVERIFY(!t.w->equalizer());
    t.act("Label2");
    QCOMPARE(t.probe("Label2") + filterFileName, file);
    t.act("Label2");
    QCOMPARE(openedWith, file);
    QCOMPARE(t.probe("Label2") + filterFileName, QString());
    t.act("Label2");
    QCOMPARE(t.probe("Label2 beeps") + filterFileName, checkMark + "|3typed only.DAT");

    // Closing the converter window unloads the equalizer; an unreadable name is kept.
    filterFileName = "gone.DAT";
    bool stillOpen = true;
    t.platform.modalScripts = {[&](QDialog &eq) { t.w->close(); stillOpen = eq.isVisible(); }};
    t.act("Label2 Label2");
    QVERIFY(!stillOpen);
    QVERIFY(t.probe("prompt").contains("gone.DAT"));
    QCOMPARE(filterFileName, QStringLiteral("gone.DAT"));
}

// Mouse input queued while the equalizer loads (reading its file and its activation let
// pending events run) reaches no handler of the converter window; the equalizer stays the
// one that was opened.
void TestBrenvik::inputWhileEqualizerLoads_data()
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

void TestBrenvik::inputWhileEqualizerLoads()
{
    QFETCH(bool, withFile);
    QFETCH(QString, target);
    QFETCH(QList<int>, events);
    QTemporaryDir dir;
    if (withFile) {
        filterFileName = dir.filePath("queued.DAT");
        QFile file(filterFileName);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("31.5 1 63 2 125 3 250 4 500 5 1000 6 2000 7 4000 8 8000 9 16000 10") > 0);
    }
    Window t;
    t.platform.deliverPendingEvents = true;
    QWidget *receiver = t.get(target);
    const QPointF at = receiver->rect().center();
    for (int type : events) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QCoreApplication::postEvent(receiver, new QMouseEvent(QEvent::Type(type), at, receiver->mapToGlobal(at),
                                                              Qt::LeftButton, held, Qt::NoModifier));
    }
    t.act("Label2");
    QVERIFY(t.platform.pendingEventRuns > 0);
    QCoreApplication::processEvents();  // nothing was left to run afterwards
    QCOMPARE(t.platform.modalShows, 1);
    QCOMPARE(t.probe("Label2 velmwav* timwav* modes messages ends"), (withFile ? checkMark : "") + "|1|0|00001|0|0");
}

QTEST_MAIN(TestBrenvik)
#include "tst_brenvik.moc"
