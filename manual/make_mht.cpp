// SPDX-License-Identifier: MIT
// Writes the manual as one MHTML web archive (RFC 2557): a MIME
// multipart/related message whose first part is the HTML page and whose
// further parts are the pictures it shows, so that a browser opens the
// manual from a single file. With --html it writes the same page as plain
// HTML instead, each picture in a data: URI, which every browser shows
// (the form "Help" opens where there is no Explorer).
//
//   make_mht <archive.mht> <page.html> <picture.png>...
//   make_mht --html <manual.html> <page.html> <picture.png>...
//
// The page refers to each picture as "cid:<file name>@manual.brenvik"; every
// such reference must name a picture given on the command line and every
// picture must be referred to, otherwise nothing is written and the tool
// fails, so a renamed picture breaks the build instead of the manual.

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <cstdio>

namespace {

constexpr const char *IdDomain = "manual.brenvik";
// "=_" can occur neither in quoted-printable text (where "=" is always
// followed by two hex digits or a line end) nor in base64, so no encoded
// part can contain the boundary.
constexpr const char *Boundary = "----=_Brenvik_Manual_Part_0001";
constexpr const char *PageLocation = "http://manual.brenvik/MBrenvik.html";
constexpr int MaxLine = 76;

struct Picture
{
    QString name;    ///< file name, as the page refers to it
    QByteArray data; ///< the PNG file
};

void fail(const QString &message)
{
    std::fprintf(stderr, "make_mht: %s\n", qPrintable(message));
}

bool readFile(const QString &path, QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    data = file.readAll();
    return true;
}

// Quoted-printable (RFC 2045, 6.7): every line of the text becomes one or more
// encoded lines of at most 76 characters, joined by soft line breaks ("=" at
// the end); the text's own line ends become CRLF.
QByteArray quotedPrintable(const QByteArray &text)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast(); // the text's final line end, not an empty last line
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        QByteArray encoded;
        qsizetype column = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool last = i + 1 == line.size();
            QByteArray piece;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                piece = QByteArray(1, char(c));
            else
                piece = QByteArray("=") + hex[c >> 4] + hex[c & 15];
            // Room for the piece and, unless it ends the line, a soft break.
            const qsizetype limit = last ? MaxLine : MaxLine - 1;
            if (column + piece.size() > limit) {
                encoded += "=\r\n";
                column = 0;
            }
            encoded += piece;
            column += piece.size();
        }
        out += encoded + "\r\n";
    }
    return out;
}

QByteArray base64Lines(const QByteArray &data)
{
    const QByteArray all = data.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < all.size(); i += MaxLine)
        out += all.mid(i, MaxLine) + "\r\n";
    return out;
}

QByteArray contentId(const QString &name)
{
    return name.toUtf8() + '@' + IdDomain;
}

// Date of the archive: SOURCE_DATE_EPOCH when set (reproducible packages),
// otherwise the time the page was last changed.
QByteArray archiveDate(const QString &htmlPath)
{
    QDateTime when;
    bool ok = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    if (ok)
        when = QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC);
    else
        when = QFileInfo(htmlPath).lastModified().toUTC();
    return QLocale::c().toString(when, u"ddd, dd MMM yyyy hh:mm:ss '+0000'").toLatin1();
}

// The file names of the pictures the page refers to by "cid:" URLs.
QSet<QString> referencedPictures(const QByteArray &html)
{
    static const QRegularExpression reference(
        QStringLiteral("cid:([^\"'\\s>]+)@") + QRegularExpression::escape(QLatin1String(IdDomain)));
    QSet<QString> names;
    auto it = reference.globalMatch(QString::fromUtf8(html));
    while (it.hasNext())
        names.insert(it.next().captured(1));
    return names;
}

QByteArray archive(const QByteArray &html, const QList<Picture> &pictures, const QByteArray &date)
{
    const QByteArray boundary = Boundary;
    QByteArray out;
    out += "From: <Brenvik>\r\n";
    out += "Subject: Brenvik 2.5 - User's Manual\r\n";
    out += "Date: " + date + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/related;\r\n"
           "\ttype=\"text/html\";\r\n"
           "\tboundary=\""
           + boundary + "\"\r\n";
    out += "\r\n";
    out += "This is a multi-part message in MIME format (an MHTML web archive).\r\n";
    out += "\r\n";

    out += "--" + boundary + "\r\n";
    out += "Content-Type: text/html; charset=utf-8\r\n";
    out += "Content-Transfer-Encoding: quoted-printable\r\n";
    out += QByteArray("Content-Location: ") + PageLocation + "\r\n";
    out += "\r\n";
    out += quotedPrintable(html);

    for (const Picture &picture : pictures) {
        out += "--" + boundary + "\r\n";
        out += "Content-Type: image/png\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-ID: <" + contentId(picture.name) + ">\r\n";
        out += "Content-Location: cid:" + contentId(picture.name) + "\r\n";
        out += "\r\n";
        out += base64Lines(picture.data);
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

// The page with every "cid:" reference replaced by the picture as a data: URI.
QByteArray plainPage(const QByteArray &html, const QList<Picture> &pictures)
{
    QByteArray page = html;
    for (const Picture &picture : pictures)
        page.replace("cid:" + contentId(picture.name),
                     "data:image/png;base64," + picture.data.toBase64());
    return page;
}

bool writeFile(const QString &path, const QByteArray &text)
{
    QSaveFile output(path);
    if (!output.open(QIODevice::WriteOnly) || output.write(text) != text.size()
        || !output.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, output.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool plain = !args.isEmpty() && args.constFirst() == QLatin1String("--html");
    if (plain)
        args.removeFirst();
    if (args.size() < 2) {
        fail(QStringLiteral("usage: make_mht [--html] <output> <page.html> <picture.png>..."));
        return 2;
    }
    const QString outputPath = args[0];
    const QString htmlPath = args[1];

    QByteArray html;
    if (!readFile(htmlPath, html))
        return 1;
    QList<Picture> pictures;
    QSet<QString> given;
    for (const QString &path : args.mid(2)) {
        Picture picture;
        picture.name = QFileInfo(path).fileName();
        if (!picture.name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)
            || !readFile(path, picture.data)) {
            if (!picture.name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
                fail(QStringLiteral("%1 is not a .png picture").arg(path));
            return 1;
        }
        if (!picture.data.startsWith("\x89PNG\r\n\x1a\n")) {
            fail(QStringLiteral("%1 is not a PNG file").arg(path));
            return 1;
        }
        if (given.contains(picture.name)) {
            fail(QStringLiteral("the picture %1 is given twice").arg(picture.name));
            return 1;
        }
        given.insert(picture.name);
        pictures.append(picture);
    }

    const QSet<QString> referenced = referencedPictures(html);
    bool consistent = true;
    for (const QString &name : referenced) {
        if (!given.contains(name)) {
            fail(QStringLiteral("%1 shows cid:%2@%3, but no such picture was given")
                     .arg(htmlPath, name, QLatin1String(IdDomain)));
            consistent = false;
        }
    }
    for (const QString &name : given) {
        if (!referenced.contains(name)) {
            fail(QStringLiteral("the picture %1 is not shown by %2").arg(name, htmlPath));
            consistent = false;
        }
    }
    if (!consistent)
        return 1;

    const QByteArray text =
        plain ? plainPage(html, pictures) : archive(html, pictures, archiveDate(htmlPath));
    return writeFile(outputPath, text) ? 0 : 1;
}
