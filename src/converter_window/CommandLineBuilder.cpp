// SPDX-License-Identifier: MIT
#include "CommandLineBuilder.h"

#include "FieldRules.h"
#include "NumberFormat.h"
#include "WinCommandLine.h"

#include <utility>

namespace {

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
    const bool withFilter = !in.filterFileName.isEmpty() && in.octaveFilter;

    // The line in pieces, so that the names on it can be written in another
    // form for the converter without building it again; each name's field
    // text, by which a refusal names it.
    QList<ConverterCommand::Piece> line;
    QList<QString> shownNames;
    auto text = [&](const QString &piece) { line.append({piece, false}); };
    auto name = [&](const QString &name, const QString &shown) {
        line.append({name, true});
        shownNames.append(shown);
    };
    auto head = [&](const char *program) {
        line.clear();
        shownNames.clear();
        plan.command.program = QLatin1String(program).trimmed();
        text(QLatin1String(program));
        name(plan.wav, in.wav);
        text(QStringLiteral(" "));
        name(plan.timLeft, in.timLeft);
    };
    auto filter = [&] {
        if (withFilter)
            name(in.filterFileName, in.filterFileName);
    };

    // The .TIM blocks: the right channel in stereo, or `mono` in its place.
    auto timBlock = [&](const char *program, const QString &mono) {
        plan.timLeft = completeName(plan.timLeft, u".TIM");
        head(program);
        if (in.stereo) {
            text(QStringLiteral(" "));
            name(plan.timRight, in.timRight);
        } else {
            text(mono);
        }
    };
    if (in.modeTimWav)
        timBlock("ZARVO.EXE ", QString());
    if (in.modeWavTim) {
        timBlock("KELDT.EXE ", QStringLiteral(" \"NONE\""));
        text(spl + irFlag);
    }
    if (in.modeBkTim) {
        timBlock("TOMBRA.EXE ", QStringLiteral(" NONE"));
        text(spl + irFlag);
    }
    if (in.modeVelmTim) {
        plan.timLeft = completeName(plan.timLeft, u".TIM");
        head("pashet.exe ");
        text(numberPiece(number, QStringLiteral(" ####"), in.symbols) + rateText
             + (in.forcePink ? QStringLiteral("Pink ") : QStringLiteral("White ")));
        filter();
    }
    if (in.modeVelmWav) {
        plan.timLeft = completeName(plan.timLeft, u".WAV");
        const QString noise = in.forcePink ? QStringLiteral("P ") : QStringLiteral("W ");
        if (in.optBin) {
            head("frelio.exe ");
            text(numberPiece(number, QStringLiteral(" #### "), in.symbols) + noise);
        } else {
            head("pashet.exe ");
            text(numberPiece(number, QStringLiteral(" ####"), in.symbols) + rateText + noise);
        }
        filter();
    }
    plan.command.pieces = line;

    // Names that go on the line must come back from the converter's
    // argument splitting exactly as they are.
    qsizetype shown = 0;
    for (const ConverterCommand::Piece &piece : std::as_const(line)) {
        if (!piece.isName)
            continue;
        // A NUL character would end the command line (on Windows) or the
        // argument (elsewhere) there: the converter would get another name.
        if (!survivesWindowsQuoting(piece.text) || piece.text.contains(QChar(0))) {
            plan.unsafeName = shownNames[shown];
            break;
        }
        ++shown;
    }
    return plan;
}
