// SPDX-License-Identifier: MIT
#include "FilterFile.h"

#include "NumberFormat.h"
#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

// A field quoted in a message: printable ASCII only, and not too long.
QString quoteField(const QByteArray &field)
{
    QString text;
    for (char c : field.left(24))
        text += (c >= 0x20 && c < 0x7f) ? QChar::fromLatin1(c) : QChar(u'?');
    if (field.size() > 24)
        text += QStringLiteral("...");
    return u'"' + text + u'"';
}

QString fieldName(int index)
{
    const int band = index / 2 + 1;
    return index % 2 == 0 ? QStringLiteral("the frequency of band %1").arg(band)
                          : QStringLiteral("the gain of band %1").arg(band);
}

} // namespace

namespace {

// As many significant digits as the general number format prints: enough to
// bring back every slider position, few enough that a typed 7.3, held as
// 7.299999999999997 after the slider grid, is written as it was typed.
constexpr int SignificantDigits = 15;

// Scientific text of `magnitude` with SignificantDigits digits ("d.ddd...e+XX"):
// rounded to the nearest, or toward zero where the nearest would read back
// beyond `limit` (or beyond the largest double).
std::string significantText(double magnitude, double limit)
{
    char buffer[64];
    char *end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                              std::chars_format::scientific, SignificantDigits - 1)
                    .ptr;
    double nearest = 0;
    if (std::from_chars(buffer, end, nearest).ec == std::errc() && nearest <= limit)
        return std::string(buffer, end);
    // Enough digits that no rounding of the last reaches the 15th: cut after it.
    end =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 40)
            .ptr;
    char *exponent = std::find(buffer, end, 'e');
    return std::string(buffer, std::size_t(1 + SignificantDigits)) + std::string(exponent, end);
}

} // namespace

QByteArray filterNumberText(double value, double limit)
{
    const std::string text = significantText(std::fabs(value), limit);
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    const std::size_t last = digits.find_last_not_of('0');
    if (last == std::string::npos)
        return "0";
    digits.erase(last + 1);
    // Digits before the decimal point: one, moved by the exponent.
    const long before = 1 + std::strtol(text.c_str() + e + 1, nullptr, 10);
    const long count = long(digits.size());
    std::string plain;
    if (before <= 0)
        plain = "0." + std::string(std::size_t(-before), '0') + digits;
    else if (before >= count)
        plain = digits + std::string(std::size_t(before - count), '0');
    else
        plain = digits.substr(0, std::size_t(before)) + '.' + digits.substr(std::size_t(before));
    return QByteArray::fromStdString(plain);
}

QString checkFilterBands(const FilterBands &bands)
{
    for (int k = 0; k < BandCount; ++k) {
        if (!std::isfinite(bands.frequency[k]))
            return QStringLiteral("the frequency of band %1 is not a finite number").arg(k + 1);
        if (!std::isfinite(bands.gain[k]))
            return QStringLiteral("the gain of band %1 is not a finite number").arg(k + 1);
        if (!gainWithinLimit(bands.gain[k]))
            return QStringLiteral("the gain of band %1 (%2 dB) lies beyond the limit of 1e30 dB")
                .arg(k + 1)
                .arg(bands.gain[k], 0, 'g', 17);
    }
    return QString();
}

QByteArray filterFileText(const FilterBands &bands)
{
    QByteArray text;
    auto put = [&text](double value, double limit) {
        text += value < 0 ? '-' : ' ';
        text += filterNumberText(value, limit);
        text += ' ';
    };
    for (int k = 0; k < BandCount; ++k) {
        put(bands.frequency[k], std::numeric_limits<double>::max());
        put(bands.gain[k], MaxFilterGain);
        text += "\r\n";
    }
    return text;
}

FilterReadResult readFilterBands(QIODevice &device)
{
    constexpr int FieldCount = 2 * BandCount;
    FilterReadResult result;
    int count = 0;
    qint64 scanned = 0;
    QByteArray field;

    auto takeField = [&]() -> bool {
        const QString text = QString::fromLatin1(field);
        const NumberScan scan = scanNumber(text);
        if (!scan.found || scan.length != text.size()) {
            result.error = QStringLiteral("%1 is %2, which is not a number")
                               .arg(fieldName(count), quoteField(field));
            return false;
        }
        if (scan.outOfRange) {
            result.error = QStringLiteral("%1 is %2, which is too large for a number")
                               .arg(fieldName(count), quoteField(field));
            return false;
        }
        if (count % 2 == 0) {
            result.bands.frequency[count / 2] = scan.value;
        } else {
            if (!gainWithinLimit(scan.value)) {
                result.error = QStringLiteral("%1 is %2, beyond the limit of 1e30 dB")
                                   .arg(fieldName(count), quoteField(field));
                return false;
            }
            result.bands.gain[count / 2] = scan.value;
        }
        field.clear();
        ++count;
        return true;
    };

    while (count < FieldCount) {
        if (scanned >= MaxFilterScanBytes) {
            result.error = QStringLiteral("its first %1 bytes hold only %2 of the twenty numbers "
                                          "a filter needs")
                               .arg(MaxFilterScanBytes)
                               .arg(count);
            return result;
        }
        char block[4096];
        const qint64 got = device.read(block, sizeof block);
        if (got < 0) {
            result.error = QStringLiteral("it cannot be read (%1)").arg(device.errorString());
            return result;
        }
        if (got == 0)
            break;
        scanned += got;
        for (char c : QByteArrayView(block, got)) {
            if (isSeparator(c)) {
                if (!field.isEmpty() && !takeField())
                    return result;
                if (count == FieldCount)
                    break;
            } else {
                field += c;
                if (field.size() > MaxFilterFieldLength) {
                    result.error = QStringLiteral("%1 is %2, which is too long for a number")
                                       .arg(fieldName(count), quoteField(field));
                    return result;
                }
            }
        }
    }
    if (count < FieldCount && !field.isEmpty() && !takeField())
        return result;
    if (count < FieldCount) {
        result.error = count == 0
                           ? QStringLiteral("it holds none of the twenty numbers a filter needs")
                           : QStringLiteral("it holds only %1 of the twenty numbers a filter needs")
                                 .arg(count);
    }
    return result;
}

FilterReadResult loadFilterFile(const QString &fileName)
{
    FilterReadResult result;
    QFile file;
    result.error = openRegularFile(file, fileName);
    if (!result.ok())
        return result;
    return readFilterBands(file);
}

namespace {

QString cannotWrite(const QString &reason)
{
    return QStringLiteral("it cannot be written (%1)").arg(reason);
}

#ifdef Q_OS_UNIX
// The content onto the file itself, for a file the user may write in a folder
// where no temporary file can be made. The new size is reserved first, so a
// full disk leaves the old content as it was; any failure after that is
// reported. Nothing when the file cannot be opened for writing, else "" or
// what went wrong.
std::optional<QString> writeInPlace(const QString &fileName, const QByteArray &text)
{
    // Without waiting: a pipe put there meanwhile is refused below, not waited for.
    const QByteArray name = QFile::encodeName(fileName);
    int fd = ::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const auto fail = [fd](const QString &reason) {
        ::close(fd);
        return reason;
    };
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return fail(cannotWrite(qt_error_string(errno)));
    if (!S_ISREG(status.st_mode))
        return fail(notOrdinaryFileReason());
    if (const int error = ::posix_fallocate(fd, 0, text.size()); error != 0)
        return fail(cannotWrite(qt_error_string(error)));
    for (qsizetype done = 0; done < text.size();) {
        const ssize_t n =
            ::pwrite(fd, text.constData() + done, size_t(text.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(cannotWrite(qt_error_string(n < 0 ? errno : EIO)));
        done += n;
    }
    if (::ftruncate(fd, off_t(text.size())) != 0 || ::fsync(fd) != 0)
        return fail(cannotWrite(qt_error_string(errno)));
    if (::close(fd) != 0)
        return cannotWrite(qt_error_string(errno));
    return QString();
}
#endif

} // namespace

QString saveFilterFile(const QString &fileName, const FilterBands &bands)
{
    const QString problem = checkFilterBands(bands);
    if (!problem.isEmpty())
        return problem;
    const QString nameProblem = regularFileNameProblem(fileName);
    if (!nameProblem.isEmpty())
        return nameProblem;
    const QByteArray text = filterFileText(bands);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString reason = file.errorString();
#ifdef Q_OS_UNIX
        if (QFileInfo(fileName).isFile()) {
            if (const std::optional<QString> inPlace = writeInPlace(fileName, text))
                return *inPlace;
        }
#endif
        return QStringLiteral("it cannot be created (%1)").arg(reason);
    }
    // QSaveFile::commit() renames the temporary file even when its buffered
    // content could not be written: the old file would be replaced by a
    // truncated one. So the content goes to the disk, and is checked, first.
    bool written = file.write(text) == text.size() && file.flush();
    QString reason = file.errorString();
#ifdef Q_OS_UNIX
    if (written && ::fsync(file.handle()) != 0) {
        written = false;
        reason = qt_error_string(errno);
    }
#endif
    if (!written) {
        file.cancelWriting();
        return cannotWrite(reason);
    }
    if (!file.commit())
        return cannotWrite(file.errorString());
    return QString();
}
