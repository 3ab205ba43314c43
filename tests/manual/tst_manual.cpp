// The built manual, Manual/MBrenvik.mht: a well-formed MHTML web archive
// (MIME multipart/related, CRLF lines, proper boundary, decodable parts)
// whose page is the manual's HTML, whose pictures are the two window
// pictures, and whose text explains every message the program can show.

#include <QFile>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// --- MIME ---------------------------------------------------------------

/// Header fields of one entity, names lower-cased, folded lines joined.
using Headers = QMap<QByteArray, QByteArray>;

struct Entity
{
    Headers headers;
    QByteArray body;  ///< everything after the blank line, CRLFs included
};

/// Splits header block and body at the first empty line; unfolds
/// continuation lines. Returns false when the header block is malformed.
bool parseEntity(const QByteArray &text, Entity &entity, QString &error)
{
    const qsizetype end = text.indexOf("\r\n\r\n");
    if (end < 0) {
        error = QStringLiteral("no empty line after the header fields");
        return false;
    }
    entity.body = text.mid(end + 4);
    QByteArray name;
    for (const QByteArray &line : text.left(end).split('\n')) {
        const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
        if (l.startsWith(' ') || l.startsWith('\t')) {
            if (name.isEmpty()) {
                error = QStringLiteral("continuation line before any field");
                return false;
            }
            entity.headers[name] += ' ' + l.trimmed();
            continue;
        }
        const qsizetype colon = l.indexOf(':');
        if (colon <= 0) {
            error = QStringLiteral("malformed header line \"%1\"").arg(QString::fromLatin1(l));
            return false;
        }
        name = l.left(colon).trimmed().toLower();
        if (entity.headers.contains(name)) {
            error = QStringLiteral("field %1 given twice").arg(QString::fromLatin1(name));
            return false;
        }
        entity.headers[name] = l.mid(colon + 1).trimmed();
    }
    return true;
}

/// The media type of a Content-Type value ("text/html"), lower-cased.
QByteArray mediaType(const QByteArray &contentType)
{
    return contentType.split(';').constFirst().trimmed().toLower();
}

/// A parameter of a Content-Type value, without quotes; null when absent.
QByteArray parameter(const QByteArray &contentType, const QByteArray &key)
{
    const QList<QByteArray> pieces = contentType.split(';');
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QByteArray piece = pieces[i].trimmed();
        const qsizetype eq = piece.indexOf('=');
        if (eq < 0 || piece.left(eq).trimmed().toLower() != key)
            continue;
        QByteArray value = piece.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

/// Strict quoted-printable decoding: "=" must start a soft line break or
/// two upper-case hex digits; encoded lines end in CRLF.
bool decodeQuotedPrintable(const QByteArray &in, QByteArray &out, QString &error)
{
    out.clear();
    const auto hexValue = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '=') {
            if (in.mid(i + 1, 2) == "\r\n") {
                i += 2;
                continue;
            }
            const int high = i + 2 < in.size() ? hexValue(in[i + 1]) : -1;
            const int low = i + 2 < in.size() ? hexValue(in[i + 2]) : -1;
            if (high < 0 || low < 0) {
                error = QStringLiteral("bad escape at byte %1").arg(i);
                return false;
            }
            out += char(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    return true;
}

// --- HTML ---------------------------------------------------------------

/// The visible text of a page: no style or script, tags replaced by a
/// blank, the entities the manual uses decoded, every run of white space
/// made one blank.
QString visibleText(const QString &html)
{
    QString text = html;
    static const QRegularExpression hidden(QStringLiteral("<(style|script)\\b.*?</\\1>"),
                                           QRegularExpression::DotMatchesEverythingOption
                                               | QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9A-Fa-f]+);"));
    text.remove(hidden);
    text.replace(tag, QStringLiteral(" "));
    QString decoded;
    qsizetype last = 0;
    auto it = numeric.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        decoded += QStringView(text).mid(last, m.capturedStart() - last);
        const uint code = m.captured(2).toUInt(nullptr, m.captured(1).isEmpty() ? 10 : 16);
        decoded += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        last = m.capturedEnd();
    }
    decoded += QStringView(text).mid(last);
    decoded.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&nbsp;"), QLatin1String(" "))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return decoded.simplified();
}

/// Whether `text` (visible text) contains `message`, where each placeholder
/// %1 ... %9 of the message stands for any short text and the message's
/// line breaks for blanks.
bool mentions(const QString &text, const QString &message)
{
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    const QStringList fixed = message.simplified().split(placeholder);
    QStringList escaped;
    for (const QString &part : fixed)
        escaped << QRegularExpression::escape(part);
    const QRegularExpression pattern(escaped.join(QStringLiteral(".{1,200}?")));
    return pattern.match(text).hasMatch();
}

// --- C++ sources ------------------------------------------------------------

/// Every string literal of a C++ source, adjacent literals joined (as the
/// compiler joins them), the usual escapes decoded; comments and character
/// literals skipped.
QStringList stringLiterals(const QByteArray &source)
{
    QStringList literals;
    QByteArray current;
    bool open = false;  // a literal was read and may still be continued
    qsizetype i = 0;
    const qsizetype n = source.size();
    const auto finish = [&] {
        if (open)
            literals << QString::fromUtf8(current);
        current.clear();
        open = false;
    };
    while (i < n) {
        const char c = source[i];
        if (c == '/' && i + 1 < n && source[i + 1] == '/') {
            while (i < n && source[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && source[i + 1] == '*') {
            const qsizetype end = source.indexOf("*/", i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == '\'') {
            for (++i; i < n && source[i] != '\''; ++i)
                if (source[i] == '\\')
                    ++i;
            ++i;
            finish();
        } else if (c == '"') {
            for (++i; i < n && source[i] != '"'; ++i) {
                if (source[i] == '\\' && i + 1 < n) {
                    const char e = source[++i];
                    current += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
                } else {
                    current += source[i];
                }
            }
            ++i;
            open = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else if (open && (c == 'L' || c == 'u' || c == 'U')
                   && (source.mid(i + 1, 1) == "\"" || source.mid(i, 3) == "u8\"")) {
            i += source.mid(i, 3) == "u8\"" ? 2 : 1;  // prefix of a continuing literal
        } else {
            finish();
            ++i;
        }
    }
    finish();
    return literals;
}

struct Message
{
    const char *file;  ///< below src/
    const char *text;  ///< exactly as in the code; %1... for inserted values
};

// Every text the program can show: message-box prompts and titles, the texts
// the platform layer returns for the message boxes, the reasons of the
// filter-file messages, and the one start-up line on the terminal.
const Message programMessages[] = {
    {"converter_window/Brenvik.cpp",
     "Your Regional Settings are not properly set !!! Velmora requires US English or UK English "
     "locale settings, please change them in Your Windows Control Panel."},
    {"converter_window/Brenvik.cpp", "Unrecoverable Error"},
    {"converter_window/Brenvik.cpp",
     "Your regional settings are not compatible with Velmora. Do You want to change them now?"},
    {"converter_window/Brenvik.cpp", "Warning - incompatible settings!"},
    {"converter_window/Brenvik.cpp", "CAUTION! - You Must Specify the name of all the files!"},
    {"converter_window/Brenvik.cpp", "File Specification Error"},
    {"converter_window/Brenvik.cpp",
     "The file name %1 cannot be handed to the converter: a file name must not contain a double "
     "quote (\") nor end in a backslash (\\). Please correct it."},
    {"converter_window/Brenvik.cpp", "No conversion mode is selected."},
    {"converter_window/Brenvik.cpp", "Conversion Error"},
    {"converter_window/Brenvik.cpp",
     "The working folder %1 cannot be used: it does not exist or cannot be entered. The "
     "converter was not started."},
    {"converter_window/Brenvik.cpp", "Really do You want to exit ?"},
    {"converter_window/Brenvik.cpp", "Warning!"},
    {"converter_window/Brenvik.cpp",
     "Click <Force Pink> Only when Your Velmora simulation was conducted\r"
     "using a sound source file already describing a loudspeaker\r"
     "fed with white noise\r"
     "or when You are Octave-Filtering to emulate a gun shot\r"
     "or an MLS measurements"},
    {"converter_window/Brenvik.cpp", "Force Pink Information"},
    {"equalizer_window/Equal.cpp", "The filter file \"%1\" %2: %3."},
    {"equalizer_window/Equal.cpp", "was not saved"},
    {"equalizer_window/Equal.cpp", "was not read"},
    {"equalizer_window/Equal.cpp", "Filter File Error"},
    {"equalizer_window/FilterFile.cpp", "the frequency of band %1"},
    {"equalizer_window/FilterFile.cpp", "the gain of band %1"},
    {"equalizer_window/FilterFile.cpp", "the frequency of band %1 is not a finite number"},
    {"equalizer_window/FilterFile.cpp", "the gain of band %1 is not a finite number"},
    {"equalizer_window/FilterFile.cpp",
     "the gain of band %1 (%2 dB) lies beyond the limit of 1e30 dB"},
    {"equalizer_window/FilterFile.cpp", "%1 is %2, which is not a number"},
    {"equalizer_window/FilterFile.cpp", "%1 is %2, which is too large for a number"},
    {"equalizer_window/FilterFile.cpp", "%1 is %2, beyond the limit of 1e30 dB"},
    {"equalizer_window/FilterFile.cpp",
     "its first %1 bytes hold only %2 of the twenty numbers a filter needs"},
    {"equalizer_window/FilterFile.cpp", "it cannot be read (%1)"},
    {"equalizer_window/FilterFile.cpp", "%1 is %2, which is too long for a number"},
    {"equalizer_window/FilterFile.cpp", "it holds none of the twenty numbers a filter needs"},
    {"equalizer_window/FilterFile.cpp", "it holds only %1 of the twenty numbers a filter needs"},
    {"equalizer_window/FilterFile.cpp", "it is a folder, not a file"},
    {"equalizer_window/FilterFile.cpp", "it cannot be opened (%1)"},
    {"equalizer_window/FilterFile.cpp", "it cannot be created (%1)"},
    {"equalizer_window/FilterFile.cpp", "it cannot be written (%1)"},
    {"platform/ProcessStart.cpp", "The program %1 cannot be started"},
    {"platform/ProcessStart.cpp", "Nothing to open: the command names no file or folder."},
    {"platform/ProcessStart.cpp", "%1 cannot be opened: it does not exist."},
    {"platform/ProcessStart.cpp",
     "%1 cannot be opened: the desktop's opener \"xdg-open\" is not installed."},
    {"platform/ProcessStart.cpp",
     "No region settings of the desktop were found. Choose a locale whose decimal symbol is "
     "\".\" and whose grouping symbol is \",\" before starting Brenvik, for example with "
     "LC_NUMERIC=en_US.UTF-8 (or LANG=en_US.UTF-8), then try again."},
    {"platform/ProcessStart.cpp", "No program can be started: the command line names none."},
    {"platform/ProcessStart.cpp",
     "The program %1 cannot be found beside Brenvik, in the current folder %2 or on the PATH."},
    {"app/main.cpp",
     "brenvik: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a "
     "desktop session."},
};

// Message boxes per source file. A new one must be added to the list above
// and explained in the manual; then this count is raised.
const QMap<QString, int> messageBoxCalls = {
    {QStringLiteral("converter_window/Brenvik.cpp"), 11},
    {QStringLiteral("equalizer_window/Equal.cpp"), 1},
};

} // namespace

class TestManual : public QObject
{
    Q_OBJECT

private:
    QByteArray m_archive;
    Entity m_message;
    QByteArray m_boundary;
    QList<Entity> m_parts;
    QString m_html;  ///< the page, decoded

    const Entity *partWithId(const QByteArray &id) const
    {
        for (const Entity &part : m_parts)
            if (part.headers.value("content-id") == '<' + id + '>')
                return &part;
        return nullptr;
    }
    const Entity *partAt(const QByteArray &location) const
    {
        for (const Entity &part : m_parts)
            if (part.headers.value("content-location") == location)
                return &part;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        m_archive = readAll(QStringLiteral(BRENVIK_MANUAL_ARCHIVE));
        QVERIFY2(!m_archive.isEmpty(),
                 "the manual " BRENVIK_MANUAL_ARCHIVE " is missing or empty: build it first");
        QString error;
        QVERIFY2(parseEntity(m_archive, m_message, error), qPrintable(error));

        const QByteArray type = m_message.headers.value("content-type");
        m_boundary = parameter(type, "boundary");
        QVERIFY2(!m_boundary.isEmpty(), "the archive names no boundary");

        // Parts lie between delimiter lines "--boundary"; "--boundary--" closes.
        const QByteArray delimiter = "\r\n--" + m_boundary;
        QByteArray rest = "\r\n" + m_message.body;
        qsizetype at = rest.indexOf(delimiter);
        QVERIFY2(at >= 0, "no part delimiter in the archive");
        for (;;) {
            const qsizetype lineEnd = rest.indexOf("\r\n", at + delimiter.size());
            QVERIFY2(lineEnd >= 0, "a delimiter line has no line end");
            const QByteArray after = rest.mid(at + delimiter.size(),
                                              lineEnd - at - delimiter.size());
            if (after == "--") {
                QCOMPARE(rest.mid(lineEnd), QByteArray("\r\n"));  // nothing after the end
                break;
            }
            QVERIFY2(after.trimmed().isEmpty(), "text after a delimiter");
            const qsizetype next = rest.indexOf(delimiter, lineEnd);
            QVERIFY2(next >= 0, "the archive is not closed with --boundary--");
            Entity part;
            QVERIFY2(parseEntity(rest.mid(lineEnd + 2, next - lineEnd - 2) + "\r\n", part, error),
                     qPrintable(error));
            m_parts << part;
            at = next;
        }
        QVERIFY(!m_parts.isEmpty());

        const Entity &page = m_parts.constFirst();
        QByteArray bytes;
        const QByteArray encoding = page.headers.value("content-transfer-encoding").toLower();
        if (encoding == "quoted-printable")
            QVERIFY2(decodeQuotedPrintable(page.body, bytes, error), qPrintable(error));
        else if (encoding == "base64")
            bytes = QByteArray::fromBase64(page.body);
        else
            QFAIL("the page is neither quoted-printable nor base64");
        QStringDecoder utf8(QStringDecoder::Utf8);
        m_html = utf8(bytes);
        QVERIFY2(!utf8.hasError(), "the page is not valid UTF-8");
    }

    void archiveIsMultipartRelatedWithCrlfLines()
    {
        QCOMPARE(m_message.headers.value("mime-version"), QByteArray("1.0"));
        const QByteArray type = m_message.headers.value("content-type");
        QCOMPARE(mediaType(type), QByteArray("multipart/related"));
        QCOMPARE(parameter(type, "type").toLower(), QByteArray("text/html"));
        QVERIFY(m_boundary.size() <= 70);  // RFC 2046 limit
        QVERIFY(!m_boundary.endsWith(' '));

        qsizetype bareLineFeeds = 0, bareReturns = 0;
        for (qsizetype i = 0; i < m_archive.size(); ++i) {
            if (m_archive[i] == '\n' && (i == 0 || m_archive[i - 1] != '\r'))
                ++bareLineFeeds;
            if (m_archive[i] == '\r' && (i + 1 == m_archive.size() || m_archive[i + 1] != '\n'))
                ++bareReturns;
        }
        QCOMPARE(bareLineFeeds, 0);
        QCOMPARE(bareReturns, 0);
        QVERIFY(m_archive.endsWith("\r\n"));
        // 7-bit transport: every byte ASCII, every line at most 998 characters
        // and, inside the encoded parts, at most 76.
        for (char c : std::as_const(m_archive))
            QVERIFY2(static_cast<unsigned char>(c) < 0x80, "a byte above 127 in the archive");
        for (const Entity &part : std::as_const(m_parts))
            for (const QByteArray &line : part.body.split('\n'))
                QVERIFY2(line.size() <= 77, qPrintable(QStringLiteral("encoded line of %1 "
                                                                      "characters: %2")
                                                           .arg(line.size() - 1)
                                                           .arg(QString::fromLatin1(line))));
    }

    void boundaryOccursOnlyAsDelimiter()
    {
        for (const Entity &part : std::as_const(m_parts))
            QVERIFY2(!part.body.contains(m_boundary), "the boundary occurs inside a part");
    }

    void firstPartIsTheManualPage()
    {
        const Entity &page = m_parts.constFirst();
        const QByteArray type = page.headers.value("content-type");
        QCOMPARE(mediaType(type), QByteArray("text/html"));
        QCOMPARE(parameter(type, "charset").toLower(), QByteArray("utf-8"));
        QVERIFY2(!page.headers.value("content-location").isEmpty(),
                 "the page has no Content-Location, the base of the archive");

        // The page is the manual's source, line ends aside.
        QByteArray source = readAll(QStringLiteral(BRENVIK_MANUAL_HTML));
        QVERIFY(!source.isEmpty());
        source.replace("\r\n", "\n");
        QString decoded = m_html;
        decoded.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        QCOMPARE(decoded, QString::fromUtf8(source));
        QVERIFY2(m_html.contains(u'→'), "the page lost its non-ASCII characters");
    }

    void picturesAreTheWindowPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("converter window") << QStringLiteral("brenvik.png");
        QTest::newRow("equalizer window") << QStringLiteral("equal.png");
    }

    void picturesAreTheWindowPictures()
    {
        QFETCH(QString, name);
        const QByteArray original = readAll(QStringLiteral(BRENVIK_DOCS_DIR "/") + name);
        QVERIFY(!original.isEmpty());
        const QImage expected = QImage::fromData(original, "PNG");
        QVERIFY(!expected.isNull());

        const Entity *part = nullptr;
        for (const Entity &p : std::as_const(m_parts))
            if (p.headers.value("content-id").contains(name.toLatin1()))
                part = &p;
        QVERIFY2(part, qPrintable(name + QStringLiteral(" is not in the archive")));
        QCOMPARE(mediaType(part->headers.value("content-type")), QByteArray("image/png"));
        QCOMPARE(part->headers.value("content-transfer-encoding").toLower(), QByteArray("base64"));
        const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
            QByteArray(part->body).replace("\r\n", ""),
            QByteArray::AbortOnBase64DecodingErrors);
        QVERIFY2(decoded, "the picture is not valid base64");
        QCOMPARE(*decoded, original);
        const QImage image = QImage::fromData(*decoded, "PNG");
        QVERIFY2(!image.isNull(), "the picture does not decode as PNG");
        QCOMPARE(image.size(), expected.size());
    }

    void everyPictureThePageShowsIsInTheArchive()
    {
        static const QRegularExpression img(QStringLiteral("<img\\b([^>]*)>"),
                                            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression attribute(QStringLiteral("\\b(src|width|height)=\"([^\"]*)\""));
        QSet<const Entity *> shown;
        auto it = img.globalMatch(m_html);
        while (it.hasNext()) {
            QMap<QString, QString> attributes;
            auto a = attribute.globalMatch(it.next().captured(1));
            while (a.hasNext()) {
                const QRegularExpressionMatch m = a.next();
                attributes[m.captured(1)] = m.captured(2);
            }
            const QString src = attributes.value(QStringLiteral("src"));
            QVERIFY2(!src.isEmpty(), "a picture without src");
            const Entity *part = src.startsWith(QLatin1String("cid:"))
                                     ? partWithId(src.mid(4).toLatin1())
                                     : partAt(src.toLatin1());
            QVERIFY2(part, qPrintable(src + QStringLiteral(" is not in the archive")));
            const QImage image = QImage::fromData(QByteArray::fromBase64(part->body), "PNG");
            QVERIFY2(!image.isNull(), qPrintable(src));
            // The page reserves the picture's own size.
            QCOMPARE(attributes.value(QStringLiteral("width")).toInt(), image.width());
            QCOMPARE(attributes.value(QStringLiteral("height")).toInt(), image.height());
            shown.insert(part);
        }
        QCOMPARE(shown.size(), 2);
        QCOMPARE(m_parts.size(), 1 + shown.size());  // no part the page does not use
    }

    void manualExplainsEveryMessage_data()
    {
        QTest::addColumn<QString>("message");
        for (const Message &message : programMessages)
            QTest::newRow(message.text) << QString::fromUtf8(message.text);
    }

    void manualExplainsEveryMessage()
    {
        QFETCH(QString, message);
        static const QString text = visibleText(m_html);
        QVERIFY2(mentions(text, message),
                 qPrintable(QStringLiteral("the manual does not mention: ") + message));
    }

    void messageListIsWordForWordTheProgramsOwn_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        for (const Message &message : programMessages)
            QTest::newRow(message.text) << QString::fromLatin1(message.file)
                                        << QString::fromUtf8(message.text);
    }

    void messageListIsWordForWordTheProgramsOwn()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        const QByteArray source = readAll(QStringLiteral(BRENVIK_SOURCE_DIR "/") + file);
        QVERIFY2(!source.isEmpty(), qPrintable(file + QStringLiteral(" cannot be read")));
        bool found = false;
        for (const QString &literal : stringLiterals(source))
            found = found || literal.contains(message);
        QVERIFY2(found, qPrintable(file + QStringLiteral(" no longer shows: ") + message));
    }

    void noMessageBoxIsLeftOut_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("count");
        for (auto it = messageBoxCalls.cbegin(); it != messageBoxCalls.cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    }

    void noMessageBoxIsLeftOut()
    {
        QFETCH(QString, file);
        QFETCH(int, count);
        const QByteArray source = readAll(QStringLiteral(BRENVIK_SOURCE_DIR "/") + file);
        QVERIFY(!source.isEmpty());
        QVERIFY2(source.count("messageBox(") == count,
                 qPrintable(file + QStringLiteral(": the number of message boxes changed; "
                                                  "explain the new message in the manual and "
                                                  "add it to this test's list")));
    }

    void manualNamesKeywordsAndConverters()
    {
        const QString text = visibleText(m_html);
        for (const char *word : {"TIMTOWAV", "WAVTOTIM", "BKTOTIM", "VELMTOTIM", "VELMTOWAV",
                                 "ZARVO.EXE", "KELDT.EXE", "TOMBRA.EXE", "pashet.exe",
                                 "frelio.exe", "stand-in", "writes no audio",
                                 "KELDT.EXE \"IN.WAV\" \"L.TIM\" \"NONE\" 100.0 1",
                                 "TOMBRA.EXE \"M.DTI\" \"L.TIM\" NONE 94.25 0",
                                 "pashet.exe \"ROOM._01\" \"OUT.TIM\" 1 44100 White \"F.DAT\""})
            QVERIFY2(text.contains(QLatin1String(word)), word);
    }

    // The checks above must be able to fail.
    void checksRejectWhatIsMissingOrBroken()
    {
        const QString text = visibleText(m_html);
        const QString caution = QStringLiteral("CAUTION! - You Must Specify the name of all the files!");
        QVERIFY(mentions(text, caution));
        QVERIFY(!mentions(QString(text).remove(caution), caution));
        QVERIFY(!mentions(text, QStringLiteral("The program %1 cannot be found in the attic.")));
        QVERIFY(mentions(QStringLiteral("x The program \"ZARVO.EXE\" cannot be started y"),
                         QStringLiteral("The program %1 cannot be started")));
        QVERIFY(mentions(visibleText(QStringLiteral("<p>Click &lt;Force Pink&gt; Only<br>\nusing"
                                                    "</p>")),
                         QStringLiteral("Click <Force Pink> Only\rusing")));

        QByteArray out;
        QString error;
        QVERIFY(decodeQuotedPrintable("a=3Db=\r\nc\r\n", out, error));
        QCOMPARE(out, QByteArray("a=bc\r\n"));
        QVERIFY(!decodeQuotedPrintable("a=G1", out, error));
        QVERIFY(!decodeQuotedPrintable("a=", out, error));

        QCOMPARE(stringLiterals("f(\"ab\" // x\n \"cd\", u'\"', L\"e\" L\"f\"); /* \"no\" */"),
                 QStringList({QStringLiteral("abcd"), QStringLiteral("ef")}));
    }
};

QTEST_GUILESS_MAIN(TestManual)
#include "tst_manual.moc"
