// SPDX-License-Identifier: MIT
// Manual/MBrenvik.mht: a well-formed MHTML archive of the manual's page that explains every
// message; Manual/MBrenvik.html: the same page on its own.

#include "ProgramMessages.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <optional>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A header field of a part (folded lines joined); the part's body decoded strictly by its transfer
// encoding, or nothing: quoted-printable allows "=" only before a line end or two upper-case hex
// digits.
QString field(const QByteArray &part, const char *name)
{
    static const QRegularExpression fold(QStringLiteral("\r\n[ \t]"));
    const QString header =
        QString::fromLatin1(part.left(part.indexOf("\r\n\r\n"))).replace(fold, " ").remove(u'\r');
    return QRegularExpression(QStringLiteral("^%1:\\s*(.*?)\\s*$").arg(QLatin1String(name)),
                              QRegularExpression::CaseInsensitiveOption
                                  | QRegularExpression::MultilineOption)
        .match(header)
        .captured(1);
}
std::optional<QByteArray> decode(const QByteArray &part)
{
    static const QRegularExpression badQp(QStringLiteral("=(?!\r\n|[0-9A-F]{2})"));
    const QString encoding = field(part, "content-transfer-encoding").toLower();
    const QByteArray body = part.mid(part.indexOf("\r\n\r\n") + 4);
    const auto base64 = QByteArray::fromBase64Encoding(QByteArray(body).replace("\r\n", ""),
                                                       QByteArray::AbortOnBase64DecodingErrors);
    if (encoding == "base64" && base64)
        return *base64;
    if (encoding == "quoted-printable" && !QString::fromLatin1(body).contains(badQp))
        return QByteArray::fromPercentEncoding(QByteArray(body).replace("=\r\n", ""), '=');
    return std::nullopt;
}

} // namespace

class TestManual : public QObject
{
    Q_OBJECT

private slots:
    void archive()
    {
        const QByteArray archive = readAll(QStringLiteral(BRENVIK_MANUAL_ARCHIVE));
        const QByteArray bare = QByteArray(archive).replace("\r\n", "");
        QVERIFY2(archive.endsWith("\r\n"), "missing, or not ended by CRLF");
        QVERIFY2(!bare.contains('\n') && !bare.contains('\r'), "a line end other than CRLF");
        // 7-bit, at most 76 columns, and no blank at a line's end, which transport may drop.
        QVERIFY(!QString::fromLatin1(archive).contains(
            QRegularExpression(QStringLiteral("[^\\x01-\\x7F]|[^\n]{78}|[ \t]\r\n"))));
        const QString type = field(archive, "content-type");
        const QByteArray boundary = QRegularExpression(QStringLiteral(";\\s*boundary=\"?([^\";]*)"))
                                        .match(type)
                                        .captured(1)
                                        .toLatin1();
        QCOMPARE(field(archive, "mime-version"), QStringLiteral("1.0"));
        QVERIFY2(type.startsWith("multipart/related;", Qt::CaseInsensitive), qPrintable(type));
        QVERIFY2(type.contains("type=\"text/html\"", Qt::CaseInsensitive), qPrintable(type));
        QVERIFY2(!boundary.isEmpty() && boundary.size() <= 70, boundary.constData());
        QVERIFY2(!boundary.endsWith(' '), boundary.constData());
        // "--boundary" lines open the parts, "--boundary--" closes the last; NUL, never in 7-bit
        // text, marks the cuts.
        QList<QByteArray> parts =
            QByteArray(archive).replace("\r\n--" + boundary, QByteArray(1, 0)).split(0);
        QVERIFY2(parts.size() >= 3, "the archive has no parts");
        QCOMPARE(parts.takeLast(), QByteArray("--\r\n")); // the archive closed properly
        parts.removeFirst(); // the header and the text before the first part
        // Each part: a line end, header and body; the line end before a boundary belongs to the
        // boundary.
        for (QByteArray &part : parts) {
            QVERIFY2(part.startsWith("\r\n"), part.left(200).constData());
            QVERIFY2(!part.contains(boundary), part.left(200).constData());
            part.remove(0, 2);
            part.append("\r\n");
            QVERIFY2(decode(part), part.left(200).constData());
        }
        const QByteArray page = parts.value(0);
        QCOMPARE(field(page, "content-type").toLower().remove(u' '),
                 QStringLiteral("text/html;charset=utf-8"));
        QVERIFY2(!field(page, "content-location").isEmpty(), "no base for the page's links");
        const QString html = QString::fromUtf8(*decode(page)).replace("\r\n", "\n");
        QCOMPARE(
            html,
            QString::fromUtf8(readAll(QStringLiteral(BRENVIK_MANUAL_HTML))).replace("\r\n", "\n"));
        QCOMPARE(parts.size(), 1 + html.count(QLatin1String("<img")));
    }

    // Every message: its fixed parts in order in the manual's visible text (the archive holds that
    // very page), each placeholder %1...%9 standing for a short text; and spelled as a C++ literal
    // in the sources, so that the list cannot drift from the program.
    void messages_data()
    {
        QTest::addColumn<QString>("message");
        for (const char *message : programMessages)
            QTest::newRow(message) << QString::fromUtf8(message);
    }
    void messages()
    {
        QFETCH(QString, message);
        static const QString text = [] {
            static const QRegularExpression hidden(QStringLiteral("<style\\b.*?</style>|<[^>]*>"),
                                                   QRegularExpression::DotMatchesEverythingOption);
            return QString::fromUtf8(readAll(QStringLiteral(BRENVIK_MANUAL_HTML)))
                .replace(hidden, " ")
                .replace("&lt;", "<")
                .replace("&gt;", ">")
                .replace("&amp;", "&")
                .simplified();
        }();
        static const QString sources = [] {
            static const QRegularExpression joint(QStringLiteral("\"[ \\t]*\\n\\s*(u8|[uUL])?\""));
            QString all;
            QDirIterator it(QStringLiteral(BRENVIK_SOURCE_DIR), QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                all += QString::fromUtf8(readAll(it.next())).remove(joint);
            return all;
        }();
        static const QRegularExpression placeholder(QStringLiteral("\\\\%[1-9]"));
        const QString fixedParts = QRegularExpression::escape(message.simplified())
                                       .replace(placeholder, QStringLiteral(".{1,200}?"));
        QVERIFY2(text.contains(QRegularExpression(fixedParts)), "the manual does not explain it");
        const QString literal =
            QString(message).replace("\\", "\\\\").replace("\"", "\\\"").replace("\r", "\\r");
        QVERIFY2(sources.contains(literal), "the program no longer shows it");
    }

    // Manual/MBrenvik.html, what "Help" opens where no browser shows the archive: the same page,
    // each picture inside it as a data: URI holding the very PNG file, so it needs no file beside
    // it.
    void page()
    {
        QString page = QString::fromUtf8(readAll(QStringLiteral(BRENVIK_MANUAL_PAGE)));
        QVERIFY(!page.isEmpty());
        for (const char *picture : {"brenvik.png", "equal.png"}) {
            const QByteArray png = readAll(QStringLiteral(BRENVIK_DOCS_DIR "/") + picture);
            const QString uri = "data:image/png;base64," + QString::fromLatin1(png.toBase64());
            QVERIFY2(!png.isEmpty() && page.count(uri) == 1, picture);
            page.replace(uri, QStringLiteral("cid:%1@manual.brenvik").arg(QLatin1String(picture)));
        }
        QCOMPARE(page, QString::fromUtf8(readAll(QStringLiteral(BRENVIK_MANUAL_HTML))));
    }
};

QTEST_GUILESS_MAIN(TestManual)
#include "tst_manual.moc"
