// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"

#include <memory>

/// The host as Qt and the operating system present it.
class QtPlatform : public Platform
{
public:
    QtPlatform(QString argumentText = QString());

    QString startProgram(const QString &commandLine, int windowStyle) override;
    QString openDocument(const QString &path, QObject *context,
                         const std::function<void()> &noViewer) override;
    LaunchRefusal startConverter(const ConverterCommand &command, const QString &title) override;
    bool setCurrentDirectory(const QString &dir) override;
    QString currentDirectory() const override;
    int messageBox(const QString &prompt, int style, const QString &title) override;
    bool showFileDialog(CommonDialog &dialog, int action, QWidget *parent) override;
    void showModal(QDialog &dialog) override;
    NumberSymbols numberSymbols() const override;
    void beep() override;
    void processPendingEvents() override;
    bool mayWrite(const QString &folder) const override;
    QString homeFolder() const override;
    QString executableFolder() const override;
    QString argumentText() const override;
    bool fileNamesIgnoreCase() const override;
    QChar pathSeparator() const override;
    void endProgram() override;

    /// True once endProgram() has been called.
    bool ended() const { return m_ended; }

private:
    /// Says, once per run, that the converter `converter` runs without a
    /// window of its own.
    void tellNoWindow(const QString &converter);

    QString m_argumentText;
    QString m_lastDialogFolder;
    bool m_ended = false;
    bool m_noWindowTold = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true); ///< expires with this platform
};
