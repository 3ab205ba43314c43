// SPDX-License-Identifier: MIT
#pragma once

#include "MessageLog.h"
#include "QtPlatform.h"
#include "TestFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

/// The real host with the converters of a folder of the test's choosing; a
/// message box would block, so it is recorded as {prompt, style, title} (and
/// logged, MessageLog.h).
class TestPlatform : public QtPlatform
{
public:
    explicit TestPlatform(const QString &keyword = {}, const QString &folder = {})
        : QtPlatform(keyword)
        , m_folder(folder)
    { }
    int messageBox(const QString &prompt, int style, const QString &title) override
    {
        messages << QStringList{prompt, QString::number(style), title};
        logShownMessage(prompt, style, title);
        return MsgBox::AnswerOk;
    }
    QString executableFolder() const override
    {
        return m_folder.isEmpty() ? QtPlatform::executableFolder() : m_folder;
    }
    QList<QStringList> messages;

private:
    QString m_folder;
};

/// The run a stand-in converter recorded in `file`; empty until it is complete.
inline QJsonObject recordIn(const QString &file)
{
    return QJsonDocument::fromJson(readAll(file).toUtf8()).object();
}
