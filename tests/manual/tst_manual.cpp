// SPDX-License-Identifier: MIT
// Manual/MBrenvik.mht: a well-formed MHTML archive of the manual's page and pictures that explains every message.

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <optional>

namespace {

struct Part { QMap<QByteArray, QByteArray> fields; QByteArray body; };  // field names lower-cased

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Header fields (folded lines joined) and body; no fields if a line is malformed or repeated.
Part parse(const QByteArray &entity)
{
    static const QRegularExpression field(QStringLiteral("^([!-9;-~]+):(.*)$"));
    const qsizetype end = entity.indexOf("\r\n\r\n");
    Part part{{}, entity.mid(end + 4)};
    for (const QByteArray &line : QByteArray(entity.left(end)).replace("\r\n\t", " ").replace("\r\n ", " ").split('\n')) {
        const QRegularExpressionMatch m = field.match(QString::fromLatin1(line.chopped(line.endsWith('\r'))));
        if (end < 0 || !m.hasMatch() || part.fields.contains(m.captured(1).toLower().toLatin1()))
            return {};
        part.fields[m.captured(1).toLower().toLatin1()] = m.captured(2).trimmed().toLatin1();
    }
    return part;
}

// The body decoded strictly by its transfer encoding, or nothing. Quoted-printable allows "="
// only before a line end or two upper-case hex digits, and no blank that transport may drop.
std::optional<QByteArray> decode(const Part &part)
{
    static const QRegularExpression badQp(QStringLiteral("=(?!\r\n|[0-9A-F]{2})|[ \t]\r\n"));
    const QByteArray encoding = part.fields.value("content-transfer-encoding").toLower();
    const auto base64 = QByteArray::fromBase64Encoding(QByteArray(part.body).replace("\r\n", ""),
                                                       QByteArray::AbortOnBase64DecodingErrors);
    if (encoding == "base64" && base64)
        return *base64;
    if (encoding == "quoted-printable" && !badQp.match(QString::fromLatin1(part.body)).hasMatch())
        return QByteArray::fromPercentEncoding(QByteArray(part.body).replace("=\r\n", ""), '=');
    return std::nullopt;
}

// Every text the program can show (message boxes, titles, reasons, the start-up line), word for word.
const char *const programMessages[] = {"Your Regional Settings are not properly set !!! Velmora requires US English or UK English locale settings, please change them in Your Windows Control Panel.",
    "Unrecoverable Error",
    "Your regional settings are not compatible with Velmora. Do You want to change them now?",
    "Warning - incompatible settings!",
    "CAUTION! - You Must Specify the name of all the files!",
    "File Specification Error",
    "The file name %1 cannot be handed to the converter: a file name must not contain a double quote (\") or a NUL character, nor end in a backslash (\\). Please correct it.",
    "No conversion mode is selected.",
    "Conversion Error",
    "The working folder %1 cannot be used: it does not exist or cannot be entered. The converter was not started.",
    "Really do You want to exit ?",
    "Warning!",
    "Click <Force Pink> Only when Your Velmora simulation was conducted\rusing a sound source file already describing a loudspeaker\rfed with white noise\ror when You are Octave-Filtering to emulate a gun shot\ror an MLS measurements",
    "Force Pink Information",
    "The filter file \"%1\" %2: %3.",
    "was not saved",
    "was not read",
    "Filter File Error",
    "the frequency of band %1",
    "the gain of band %1",
    "the frequency of band %1 is not a finite number",
    "the gain of band %1 is not a finite number",
    "the gain of band %1 (%2 dB) lies beyond the limit of 1e30 dB",
    "%1 is %2, which is not a number",
    "%1 is %2, which is too large for a number",
    "%1 is %2, beyond the limit of 1e30 dB",
    "its first %1 bytes hold only %2 of the twenty numbers a filter needs",
    "it cannot be read (%1)",
    "%1 is %2, which is too long for a number",
    "it holds none of the twenty numbers a filter needs",
    "it holds only %1 of the twenty numbers a filter needs",
    "it is a folder, not a file",
    "it is not an ordinary file but a pipe, a device or a socket",
    "its name holds a NUL character, which no file name can hold",
    "it cannot be opened (%1)",
    "it cannot be created (%1)",
    "it cannot be written (%1)",
    "The program %1 cannot be started",
    "Nothing to open: the command names no file or folder.",
    "%1 cannot be opened: it does not exist.",
    "%1 cannot be opened: the desktop's opener \"xdg-open\" is not installed.",
    "No region settings of the desktop were found. Choose a locale whose decimal symbol is \".\" and whose grouping symbol is \",\" before starting Brenvik, for example with LC_NUMERIC=en_US.UTF-8 (or LANG=en_US.UTF-8), then try again.",
    "No program can be started: the command line names none.",
    "The program %1 cannot be found beside Brenvik, in the current folder %2 or on the PATH.",
    "The program %1 was found as %2, but it cannot be run: the file is neither executable nor a Windows program.",
    "The program %1 (%2) is a Windows program. Brenvik starts Windows programs through Wine, which is not installed: there is no \"wine\" on the PATH. Install it on Debian with \"sudo apt install wine\", then try again.",
    "The program %1 (%2) is a %3-bit Windows program, which the installed Wine (%4) cannot run. On Debian add its %3-bit part with %5, then try again.",
    "The program %1 (%2) is a Windows program for another kind of processor than this computer's, which Wine cannot run here.",
    "The program %1 (%2) is a Windows program, but %3, which starts Windows programs for Brenvik, is missing. Install Brenvik again (building it needs the mingw-w64 cross compilers).",
    "The folder %1 cannot be handed to Wine for the Windows program %2: %3.",
    "The file name %1 cannot be handed to the Windows converter %2: %3. Please correct it.",
    "it holds a backslash (\\), which Windows reads as a folder separator",
    "it holds a character that Windows does not allow in names (: * ? < > | or a control character)",
    "no drive of the Wine prefix leads to it",
    "brenvik: no usable display found (DISPLAY or WAYLAND_DISPLAY is unset or names none that answers); start it from a desktop session."};

} // namespace

class TestManual : public QObject
{
    Q_OBJECT
    QList<Part> m_parts;
    QString m_html, m_text, m_sources;  // the page, decoded, its visible text, the program's sources

private slots:
    void initTestCase()  // the archive's structure, on which every other check rests
    {
        const QByteArray archive = readAll(QStringLiteral(BRENVIK_MANUAL_ARCHIVE)), bare = QByteArray(archive).replace("\r\n", "");
        QVERIFY2(archive.endsWith("\r\n") && !bare.contains('\n') && !bare.contains('\r'),
                 BRENVIK_MANUAL_ARCHIVE " is missing or has a line end other than CRLF");
        QVERIFY2(!QString::fromLatin1(archive).contains(QRegularExpression(QStringLiteral("[^\\x01-\\x7F]|[^\n]{78}"))), "not 7-bit, or over 76 columns");
        const Part top = parse(archive);
        const QString type = QString::fromLatin1(top.fields.value("content-type"));
        const auto parameter = [&type](const char *key) {
            return QRegularExpression(QStringLiteral(";\\s*%1=\"?([^\";]*)").arg(QLatin1String(key))).match(type).captured(1).toLatin1(); };
        const QByteArray boundary = parameter("boundary");
        QCOMPARE(top.fields.value("mime-version"), QByteArray("1.0"));
        QCOMPARE(type.section(u';', 0, 0).toLower(), QStringLiteral("multipart/related"));
        QCOMPARE(parameter("type").toLower(), QByteArray("text/html"));
        QVERIFY(!boundary.isEmpty() && boundary.size() <= 70 && !boundary.endsWith(' '));
        // "--boundary" lines open the parts, "--boundary--" closes the last; NUL, never in 7-bit text, marks the cuts.
        QList<QByteArray> chunks = QByteArray("\r\n" + top.body).replace("\r\n--" + boundary, QByteArray(1, 0)).split(0);
        QVERIFY2(chunks.size() >= 3 && chunks.takeLast() == "--\r\n", "the archive is not closed properly");
        for (const QByteArray &chunk : chunks.mid(1)) {
            m_parts << parse(chunk.mid(2) + "\r\n");
            QVERIFY2(chunk.startsWith("\r\n") && !m_parts.constLast().fields.isEmpty(), chunk.mid(2, 200).constData());
            QVERIFY2(!chunk.contains(boundary) && decode(m_parts.constLast()), "boundary in a part or not decodable");
        }
        for (const char *bad : {"=3d", "=G1", "=", "a \r\n"})  // the decoder itself must be strict
            QVERIFY2(!decode({{{"content-transfer-encoding", "quoted-printable"}}, bad}), bad);
        m_html = QString::fromUtf8(*decode(m_parts.constFirst()));
        // The program's sources, literals continued on the next line joined (no literal holds a line end).
        static const QRegularExpression joint(QStringLiteral("\"[ \\t]*\\n\\s*(u8|[uUL])?\""));
        for (QDirIterator it(QStringLiteral(BRENVIK_SOURCE_DIR), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            m_sources += QString::fromUtf8(readAll(it.next())).remove(joint);
        // Visible text: no style sheet, tags as blanks, the entities the manual uses decoded.
        static const QRegularExpression hidden(QStringLiteral("<style\\b.*?</style>|<[^>]*>"),
                                               QRegularExpression::DotMatchesEverythingOption);
        m_text = QString(m_html).replace(hidden, " ").replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&").simplified();
    }

    void firstPartIsTheManualPage()
    {
        QCOMPARE(m_parts[0].fields.value("content-type").toLower().replace(" ", ""), QByteArray("text/html;charset=utf-8"));
        QVERIFY2(!m_parts[0].fields.value("content-location").isEmpty(), "no base for the page's links");
        const QByteArray source = readAll(QStringLiteral(BRENVIK_MANUAL_HTML));
        QCOMPARE(QString(m_html).replace("\r\n", "\n"), QString::fromUtf8(source).replace("\r\n", "\n"));
    }

    void everyPictureThePageShowsIsInTheArchive()
    {
        static const QRegularExpression img(QStringLiteral("<img\\s[^>]*src=\"cid:(([^\"@]+)@[^\"]+)\""
                                                           "\\s+width=\"(\\d+)\"\\s+height=\"(\\d+)\""));
        for (const QRegularExpressionMatch &m : img.globalMatch(m_html)) {
            const auto part = std::find_if(m_parts.cbegin(), m_parts.cend(), [&](const Part &p) {
                return p.fields.value("content-id") == '<' + m.captured(1).toLatin1() + '>'
                       && p.fields.value("content-type") == "image/png"; });
            QVERIFY2(part != m_parts.cend(), qPrintable(m.captured(1) + " is not a PNG part of the archive"));
            QCOMPARE(*decode(*part), readAll(QStringLiteral(BRENVIK_DOCS_DIR "/") + m.captured(2)));
            QCOMPARE(QImage::fromData(*decode(*part), "PNG").size(), QSize(m.captured(3).toInt(), m.captured(4).toInt()));
        }
        QCOMPARE(m_html.count(img), m_html.count(QLatin1String("<img")));  // none missed by the pattern
        QCOMPARE(m_parts.size(), 1 + m_html.count(img));  // no part the page does not show
    }

    void manualExplainsEveryMessage_data()
    {
        QTest::addColumn<QString>("message");
        for (const char *message : programMessages)
            QTest::newRow(message) << QString::fromUtf8(message);
    }

    void manualExplainsEveryMessage()
    {
        QFETCH(QString, message);
        // The fixed parts of the message in order, each placeholder %1...%9 standing for a short text.
        static const QRegularExpression placeholder(QStringLiteral("\\\\%[1-9]"));
        const QString fixedParts = QRegularExpression::escape(message.simplified()).replace(placeholder, QStringLiteral(".{1,200}?"));
        QVERIFY2(QRegularExpression(fixedParts).match(m_text).hasMatch(), "the manual does not explain this message");
        // Spelled as in a C++ literal, so that the list cannot drift from the program.
        QVERIFY2(m_sources.contains(message.replace("\\", "\\\\").replace("\"", "\\\"").replace("\r", "\\r")),
                 "the program no longer shows this message");
    }
};

QTEST_GUILESS_MAIN(TestManual)
#include "tst_manual.moc"
