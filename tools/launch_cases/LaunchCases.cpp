// Writes the launch cases for the Windows launch check: every converter
// command line the launch tests cover, built by the program's own
// command-line builder, with the program and the arguments this host's
// Windows splitter expects the converter to receive. The Windows side starts
// each line for real and compares what arrives, so both splitters are held
// to the same answers and nothing is typed twice.
//
//   brenvik_launch_cases <case file> [<working folder, Windows notation>]
//
// Output: UTF-8, one JSON object a line; the first line names the working
// folder, each further line is a case (name, line, program, args, inputs,
// outputs). Names are relative to the working folder or lie inside it.

#include "CommandLineBuilder.h"
#include "WinCommandLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

enum class Mode { TimWav, WavTim, BkTim, VelmTim, VelmWav };

// One set of names a user might type, chosen for what the quoting must get
// through: blanks, backslashes, dots in folders, letters beyond ASCII.
struct Names
{
    QString label, source, left, right, filter;
};

QList<Names> nameSets(const QString &root)
{
    return {
        {"plain", "IN.WAV", "L.TIM", "R.TIM", "F.DAT"},
        {"completed", "IN", "L", "R", "F.DAT"},
        {"blanks", "hall one\\source file.wav", "hall one\\left side.tim",
         "hall one\\right side.tim", "eq files\\my filter.dat"},
        {"absolute", root + "\\sub dir\\a.wav", root + "\\sub dir\\b.tim",
         root + "\\sub dir\\c.tim", root + "\\EQ\\F.DAT"},
        {"dots in folders", root + "\\DATA.1\\OUT", "DATA.2\\LEFT", "DATA.3\\RIGHT",
         "EQ.1\\FILTER"},
        {"non-ASCII", QString::fromUtf8("Säle\\Ørsted è.wav"), QString::fromUtf8("Säle\\links ä"),
         QString::fromUtf8("Zał ñ 音\\prawy ł.tim"), QString::fromUtf8("Filtre é\\ü.dat")},
        {"leading blanks", "  a b .wav", "  l eft", "  r ight", "  f .dat"},
        {"parent folder", "sub\\..\\back.wav", "sub\\..\\left", "sub\\..\\right",
         "sub\\..\\f.dat"},
    };
}

struct Case
{
    QString name;
    LaunchInput in;
};

LaunchInput baseInput(Mode mode, const Names &names)
{
    LaunchInput in;
    in.wav = names.source;
    in.timLeft = names.left;
    in.timRight = names.right;
    in.filterFileName = names.filter;
    in.modeTimWav = mode == Mode::TimWav;
    in.modeWavTim = mode == Mode::WavTim;
    in.modeBkTim = mode == Mode::BkTim;
    in.modeVelmTim = mode == Mode::VelmTim;
    in.modeVelmWav = mode == Mode::VelmWav;
    in.expSpl = QStringLiteral("100");
    return in;
}

// The mode whose block runs last, which decides the line.
Mode effectiveMode(const LaunchInput &in)
{
    if (in.modeVelmWav)
        return Mode::VelmWav;
    if (in.modeVelmTim)
        return Mode::VelmTim;
    if (in.modeBkTim)
        return Mode::BkTim;
    if (in.modeWavTim)
        return Mode::WavTim;
    return Mode::TimWav;
}

const QStringList splValues = {"100.0", "94.256", "abc", "1,5", ".5", "-3", "1e300", "", "0"};
const QStringList microphones = {"", "0", "2.6", "12", "-3"};

struct Rate
{
    const char *label;
    bool opt44, opt48;
};
const Rate rates[] = {{"22050", false, false}, {"44100", true, false},
                      {"48000", false, true}, {"44100+48000", true, true}};

struct Filter
{
    const char *label;
    bool on, named;
};
const Filter filters[] = {{"filter off", false, true}, {"filter on", true, true},
                          {"filter on, no name", true, false}};

void addSimulationCases(QList<Case> &cases, Mode mode, const Names &names, bool everySubCase)
{
    const QString modeName = mode == Mode::VelmTim ? "results->tim" : "results->wav";
    const QList<bool> binaurals = mode == Mode::VelmWav ? QList<bool>{false, true}
                                                        : QList<bool>{false};
    for (const bool binaural : binaurals) {
        for (const Rate &rate : rates) {
            if (binaural && rate.opt48)
                continue;  // binaural fixes the rate; one rate case is enough
            for (const bool pink : {false, true}) {
                for (const Filter &filter : filters) {
                    for (const QString &mic : microphones) {
                        const bool representative = rate.opt44 && !rate.opt48 && filter.on
                                                 && filter.named && mic == "2.6";
                        if (!everySubCase && !representative)
                            continue;
                        LaunchInput in = baseInput(mode, names);
                        in.optBin = binaural;
                        in.opt44 = rate.opt44;
                        in.opt48 = rate.opt48;
                        in.forcePink = pink;
                        in.octaveFilter = filter.on;
                        if (!filter.named)
                            in.filterFileName.clear();
                        in.expSpl = mic;
                        cases << Case{modeName + ' ' + names.label + ", "
                                          + (binaural ? "binaural" : rate.label) + ", "
                                          + (pink ? "pink" : "white") + ", " + filter.label
                                          + ", microphone \"" + mic + '"',
                                      in};
                    }
                }
            }
        }
    }
}

QList<Case> launchCases(const QString &root)
{
    QList<Case> cases;
    const QList<Names> sets = nameSets(root);
    for (int s = 0; s < sets.size(); ++s) {
        const Names &names = sets[s];
        const bool everySubCase = s == 0;
        for (const bool stereo : {false, true}) {
            LaunchInput in = baseInput(Mode::TimWav, names);
            in.stereo = stereo;
            cases << Case{"tim->wav " + names.label + (stereo ? ", stereo" : ", mono"), in};
        }
        for (const Mode mode : {Mode::WavTim, Mode::BkTim}) {
            const QString modeName = mode == Mode::WavTim ? "wav->tim " : "bk->tim ";
            for (const bool stereo : {false, true}) {
                for (const bool ir : {true, false}) {
                    const QStringList spls = everySubCase ? splValues : QStringList{"94.25"};
                    for (const QString &spl : spls) {
                        LaunchInput in = baseInput(mode, names);
                        in.stereo = stereo;
                        in.irMode = ir;
                        in.expSpl = spl;
                        cases << Case{modeName + names.label + (stereo ? ", stereo" : ", mono")
                                          + (ir ? ", I.R." : ", scope") + ", SPL \"" + spl
                                          + "\"",
                                      in};
                    }
                }
            }
        }
        addSimulationCases(cases, Mode::VelmTim, names, everySubCase);
        addSimulationCases(cases, Mode::VelmWav, names, everySubCase);
    }

    // Several modes set: the last block wins.
    LaunchInput all = baseInput(Mode::TimWav, sets[0]);
    all.modeWavTim = all.modeBkTim = all.modeVelmTim = true;
    cases << Case{"four modes set, results->tim wins", all};
    all.modeVelmWav = true;
    all.optBin = true;
    cases << Case{"all modes set, binaural wins", all};
    return cases;
}

// Lines typed by hand for the splitting rules the builder never produces;
// what the converter must receive still comes from this host's splitter.
const QList<QPair<QString, QString>> rawLines = {
    {"raw: backslashes before a quote", R"(KELDT.EXE a\\"b c" d\\\"e "f\\" g\\\\)"},
    {"raw: doubled quote inside quotes", R"(KELDT.EXE "a""b" "c""" """d" x""y)"},
    {"raw: empty arguments", R"(ZARVO.EXE "" "" x "")"},
    {"raw: tabs and trailing blanks", "ZARVO.EXE\ta\t\"b\tc\"   d   \t"},
    {"raw: quote opens mid-argument", R"(TOMBRA.EXE ab"c d"ef "g h"i j)"},
    {"raw: unterminated quote", R"(frelio.exe "a b\ c)"},
    {"raw: lone backslashes", R"(pashet.exe \ \\ C:\ C:\a\ "C:\b\\")"},
};

QString programRole(const QString &program)
{
    QString role = program.toLower();
    if (role.endsWith(QLatin1String(".exe")))
        role.chop(4);
    return role;
}

QJsonArray jsonList(const QStringList &items)
{
    QJsonArray array;
    for (const QString &item : items)
        array.append(item);
    return array;
}

QJsonObject caseObject(const QString &name, const QString &line, const QStringList &inputs,
                       const QStringList &outputs)
{
    const QStringList split = splitWindowsCommandLine(line);
    return QJsonObject{{"name", name},
                       {"line", line},
                       {"program", programRole(split.value(0))},
                       {"args", jsonList(split.mid(1))},
                       {"inputs", jsonList(inputs)},
                       {"outputs", jsonList(outputs)}};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 2 || args.size() > 3) {
        err << "usage: brenvik_launch_cases <case file> [<working folder>]\n";
        return 2;
    }
    const QString root = args.size() == 3 ? args[2]
                                          : QString::fromUtf8("C:\\Brenvik Launch.1\\Wörk Ü");

    QFile file(args[1]);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        err << "cannot write \"" << args[1] << "\": " << file.errorString() << '\n';
        return 2;
    }
    file.write(QJsonDocument(QJsonObject{{"workDir", root}}).toJson(QJsonDocument::Compact)
               + '\n');

    int written = 0;
    for (const Case &c : launchCases(root)) {
        const LaunchPlan plan = buildLaunch(c.in);
        // Every case must reach a converter; a case the click would refuse
        // is a mistake in this table, not something to skip quietly.
        if (plan.commandLine.isEmpty() || !plan.unsafeName.isNull()) {
            err << "case \"" << c.name << "\" builds no command line to start\n";
            return 1;
        }
        QStringList inputs, outputs;
        const bool stereo = c.in.stereo;
        switch (effectiveMode(c.in)) {
        case Mode::TimWav:
            outputs << plan.wav;
            inputs << plan.timLeft;
            if (stereo)
                inputs << plan.timRight;
            break;
        case Mode::WavTim:
        case Mode::BkTim:
            inputs << plan.wav;
            outputs << plan.timLeft;
            if (stereo)
                outputs << plan.timRight;
            break;
        case Mode::VelmTim:
        case Mode::VelmWav:
            inputs << plan.wav;
            outputs << plan.timLeft;
            if (c.in.octaveFilter && !c.in.filterFileName.isEmpty())
                inputs << c.in.filterFileName;
            break;
        }
        file.write(QJsonDocument(caseObject(c.name, plan.commandLine, inputs, outputs))
                       .toJson(QJsonDocument::Compact)
                   + '\n');
        ++written;
    }
    for (const auto &[name, line] : rawLines) {
        file.write(QJsonDocument(caseObject(name, line, {}, {})).toJson(QJsonDocument::Compact)
                   + '\n');
        ++written;
    }
    if (!file.flush()) {
        err << "cannot write \"" << args[1] << "\": " << file.errorString() << '\n';
        return 2;
    }
    QTextStream(stdout) << written << " launch cases written to " << args[1] << '\n';
    return 0;
}
