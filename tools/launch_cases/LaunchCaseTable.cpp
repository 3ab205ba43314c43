// SPDX-License-Identifier: MIT
#include "LaunchCaseTable.h"

namespace {

enum class Mode { TimWav, WavTim, BkTim, VelmTim, VelmWav };

// One set of names a user might type, chosen for what the quoting must get
// through: blanks, backslashes, dots in folders, letters beyond ASCII.
struct Names
{
    QString label, source, left, right, filter;
};

QList<Names> nameSets(const QString &root, QChar separator)
{
    QList<Names> sets = {
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
    // The names are written with "\\"; the root is already in the host's form.
    for (Names &names : sets) {
        for (QString *name : {&names.source, &names.left, &names.right, &names.filter}) {
            const bool rooted = name->startsWith(root);
            QString rest = rooted ? name->mid(root.size()) : *name;
            rest.replace(u'\\', separator);
            *name = rooted ? root + rest : rest;
        }
    }
    return sets;
}

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

void addSimulationCases(QList<LaunchCase> &cases, Mode mode, const Names &names, bool everySubCase)
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
                        cases << LaunchCase{modeName + ' ' + names.label + ", "
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

} // namespace

QList<LaunchCase> launchCases(const QString &root, QChar separator)
{
    QList<LaunchCase> cases;
    const QList<Names> sets = nameSets(root, separator);
    for (int s = 0; s < sets.size(); ++s) {
        const Names &names = sets[s];
        const bool everySubCase = s == 0;
        for (const bool stereo : {false, true}) {
            LaunchInput in = baseInput(Mode::TimWav, names);
            in.stereo = stereo;
            cases << LaunchCase{"tim->wav " + names.label + (stereo ? ", stereo" : ", mono"), in};
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
                        cases << LaunchCase{modeName + names.label + (stereo ? ", stereo" : ", mono")
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
    cases << LaunchCase{"four modes set, results->tim wins", all};
    all.modeVelmWav = true;
    all.optBin = true;
    cases << LaunchCase{"all modes set, binaural wins", all};
    return cases;
}

QList<QPair<QString, QString>> rawLaunchLines()
{
    return {
    {"raw: backslashes before a quote", R"(KELDT.EXE a\\"b c" d\\\"e "f\\" g\\\\)"},
    {"raw: doubled quote inside quotes", R"(KELDT.EXE "a""b" "c""" """d" x""y)"},
    {"raw: empty arguments", R"(ZARVO.EXE "" "" x "")"},
    {"raw: tabs and trailing blanks", "ZARVO.EXE\ta\t\"b\tc\"   d   \t"},
    {"raw: quote opens mid-argument", R"(TOMBRA.EXE ab"c d"ef "g h"i j)"},
    {"raw: unterminated quote", R"(frelio.exe "a b\ c)"},
    {"raw: lone backslashes", R"(pashet.exe \ \\ C:\ C:\a\ "C:\b\\")"},
    };
}


void launchCaseFiles(const LaunchCase &c, const LaunchPlan &plan, QStringList &inputs,
                     QStringList &outputs)
{
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
}
