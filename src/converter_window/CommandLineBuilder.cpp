// SPDX-License-Identifier: MIT
#include "CommandLineBuilder.h"

#include "FieldRules.h"
#include "NumberFormat.h"
#include "WinCommandLine.h"

#include <utility>

namespace {

QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

// A number piece such as " ####.0#". A negative number keeps the piece's
// leading blank in front of its sign, so that it stays an argument of its
// own instead of gluing a "-" onto the closing quote before it.
QString numberPiece(double value, const QString &pattern, const NumberSymbols &symbols)
{
    if (value < 0 && pattern.startsWith(u' '))
        return u' ' + formatNumber(value, QStringView(pattern).mid(1), symbols);
    return formatNumber(value, pattern, symbols);
}

} // namespace

bool regionalSettingsCompatible(const NumberSymbols &symbols)
{
    bool compatible = true;
    if (!formatNumber(10000000, u"###,###,###", symbols).contains(u','))
        compatible = false;
    if (!formatNumber(13.456, u"###.#####", symbols).contains(u'.'))
        compatible = false;
    return compatible;
}

bool requiredNamesMissing(const LaunchInput &input)
{
    return (input.stereo && input.timRight.isEmpty()) || input.wav.isEmpty()
        || input.timLeft.isEmpty();
}

LaunchPlan buildLaunch(const LaunchInput &in)
{
    LaunchPlan plan;
    plan.wav = completeName(in.wav, u".WAV");
    plan.timRight = in.timRight.isEmpty() ? in.timRight : completeName(in.timRight, u".TIM");
    plan.timLeft = in.timLeft;

    const double number = readNumber(in.expSpl);
    const QString spl = numberPiece(number, QStringLiteral(" ####.0#"), in.symbols);
    const QString irFlag = in.irMode ? QStringLiteral(" 1") : QStringLiteral(" 0");
    int rate = 22050;
    if (in.opt44)
        rate = 44100;
    if (in.opt48)
        rate = 48000;
    if (in.optBin)
        rate = 44100;
    const QString rateText = formatNumber(rate, u" ###### ", in.symbols);
    // A name as it goes on the line: unchanged, or in Windows form for a
    // Windows converter run through Wine (the fields keep the host's form).
    auto onLine = [&](const QString &name) {
        return in.wineDrives ? toWindowsName(name, *in.wineDrives).text : name;
    };
    auto quotedName = [&](const QString &name) { return quoted(onLine(name)); };
    const bool withFilter = !in.filterFileName.isEmpty() && in.octaveFilter;
    const QString filter = withFilter ? quotedName(in.filterFileName) : QString();

    // Names that go on the line must come back from the converter's
    // argument splitting exactly as they are; each with the text its field
    // shows, by which a refusal names it.
    QList<std::pair<QString, QString>> onTheLine;
    auto head = [&](const char *program) {
        onTheLine = {{plan.wav, in.wav}, {plan.timLeft, in.timLeft}};
        plan.program = QLatin1String(program).trimmed();
        return QLatin1String(program) + quotedName(plan.wav) + u' ' + quotedName(plan.timLeft);
    };

    // The .TIM blocks: the right channel in stereo, or `mono` in its place.
    auto timBlock = [&](const char *program, const QString &mono) {
        plan.timLeft = completeName(plan.timLeft, u".TIM");
        plan.commandLine = head(program);
        if (in.stereo) {
            plan.commandLine += u' ' + quotedName(plan.timRight);
            onTheLine.append({plan.timRight, in.timRight});
        } else {
            plan.commandLine += mono;
        }
    };
    if (in.modeTimWav)
        timBlock("ZARVO.EXE ", QString());
    if (in.modeWavTim) {
        timBlock("KELDT.EXE ", QStringLiteral(" \"NONE\""));
        plan.commandLine += spl + irFlag;
    }
    if (in.modeBkTim) {
        timBlock("TOMBRA.EXE ", QStringLiteral(" NONE"));
        plan.commandLine += spl + irFlag;
    }
    if (in.modeVelmTim) {
        plan.timLeft = completeName(plan.timLeft, u".TIM");
        plan.commandLine = head("pashet.exe ")
            + numberPiece(number, QStringLiteral(" ####"), in.symbols) + rateText
            + (in.forcePink ? QStringLiteral("Pink ") : QStringLiteral("White ")) + filter;
    }
    if (in.modeVelmWav) {
        plan.timLeft = completeName(plan.timLeft, u".WAV");
        const QString noise = in.forcePink ? QStringLiteral("P ") : QStringLiteral("W ");
        if (in.optBin)
            plan.commandLine = head("frelio.exe ")
                + numberPiece(number, QStringLiteral(" #### "), in.symbols) + noise + filter;
        else
            plan.commandLine = head("pashet.exe ")
                + numberPiece(number, QStringLiteral(" ####"), in.symbols) + rateText + noise
                + filter;
    }
    if ((in.modeVelmTim || in.modeVelmWav) && withFilter)
        onTheLine.append({in.filterFileName, in.filterFileName});

    for (const auto &[name, shown] : std::as_const(onTheLine)) {
        if (in.wineDrives) {
            const WindowsNameFault fault = toWindowsName(name, *in.wineDrives).fault;
            if (fault != WindowsNameFault::None) {
                plan.untranslatableName = name;
                plan.untranslatableFault = fault;
                break;
            }
        }
        // A NUL character would end the command line (on Windows) or the
        // argument (elsewhere) there: the converter would get another name.
        if (!survivesWindowsQuoting(onLine(name)) || name.contains(QChar(0))) {
            plan.unsafeName = shown;
            break;
        }
    }
    return plan;
}
