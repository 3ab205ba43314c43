// SPDX-License-Identifier: MIT
#pragma once

#include "CommandLineBuilder.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

/// One case of the launch checks: a name and what the click reads.
struct LaunchCase
{
    QString name;
    LaunchInput in;
};

/// Every converter command line the launch checks cover: each mode with
/// sets of names chosen for what the quoting and the name translation must
/// get through (blanks, backslashes, dots in folders, letters beyond ASCII,
/// absolute names below `root`). `separator` is the folder separator the
/// names are written with ("\\" for Windows, "/" for this host).
QList<LaunchCase> launchCases(const QString &root, QChar separator);

/// The files a case's converter reads (which must exist) and writes (whose
/// folders must exist), from the completed names of its plan.
void launchCaseFiles(const LaunchCase &c, const LaunchPlan &plan, QStringList &inputs,
                     QStringList &outputs);

/// Lines typed by hand for the splitting rules the builder never produces.
QList<QPair<QString, QString>> rawLaunchLines();
