// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include <functional>

/// A converter's command line as the converter window builds it, kept in
/// pieces: the file names on it may have to be written in another form for
/// the program that receives them (a Windows program under Wine), and the
/// line is then written again from the same pieces.
struct ConverterCommand
{
    struct Piece
    {
        QString text;
        bool isName = false; ///< a file name, written inside double quotes
    };

    QString program;     ///< the converter the line starts ("ZARVO.EXE"); "" for none
    QList<Piece> pieces; ///< the whole line, the program's name first

    /// The line, each name inside double quotes as `writeName` gives it
    /// (the name itself when none is given).
    QString line(const std::function<QString(const QString &)> &writeName = {}) const
    {
        QString text;
        for (const Piece &piece : pieces) {
            if (!piece.isName)
                text += piece.text;
            else
                text += u'"' + (writeName ? writeName(piece.text) : piece.text) + u'"';
        }
        return text;
    }
};

/// Why a converter was not started: the message for the user and its title.
/// A null message: it was started.
struct LaunchRefusal
{
    QString message;
    QString title;

    bool isNull() const { return message.isNull(); }
};
