// A history file's bytes: the decoding, the splitting into rows, and the reading from disk.
// What must hold for every input:
// - a refused file gives a reason and no rows; an accepted one gives at most 32767 rows,
//   none holding a CR or a NUL;
// - the rows, each ended by CR LF and encoded again as the file was, are the file's bytes
//   with every line ending written as CR LF: an import followed by a save loses nothing;
// - a file of plain ASCII text is never refused;
// - the splitting alone agrees with a plain split at CR LF and lone CR, and joining the rows
//   with CR LF gives the text back when no lone CR was in it;
// - reading the same bytes from a file gives them back, or refuses a file over the size limit;
// - decodeGbk, which takes a short cut for ASCII, reads every input as the GBK converter does.

#include "fileio/readfile.h"
#include "fuzzcheck.h"
#include "history/historytext.h"
#include "history/resultfile.h"

#include <QHashFunctions>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#else
#include <QTemporaryFile>
#endif

using namespace orbelune;

namespace {

// The byte sequences of CR and LF in the file's encoding: one byte each, or two for UTF-16.
struct Units
{
    int width;
    bool bigEndian;
};

// Writes every line ending of body as CR LF, and ends a last line that has none.
QByteArray withCrLfEndings(const QByteArray &body, Units units)
{
    const qsizetype n = body.size() / units.width * units.width;
    auto unitAt = [&](qsizetype i) -> char16_t {
        if (units.width == 1)
            return char16_t(std::uint8_t(body[i]));
        const std::uint8_t a = std::uint8_t(body[i]), b = std::uint8_t(body[i + 1]);
        return units.bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    };
    const QByteArray cr = units.width == 1 ? QByteArray("\r")
        : units.bigEndian                  ? QByteArray("\0\r", 2)
                                           : QByteArray("\r\0", 2);
    const QByteArray lf = units.width == 1 ? QByteArray("\n")
        : units.bigEndian                  ? QByteArray("\0\n", 2)
                                           : QByteArray("\n\0", 2);
    QByteArray out;
    for (qsizetype i = 0; i < n; i += units.width) {
        out.append(body.mid(i, units.width));
        if (unitAt(i) == u'\r' && !(i + units.width < n && unitAt(i + units.width) == u'\n'))
            out.append(lf);
    }
    if (n > 0 && !out.endsWith(cr + lf))
        out.append(cr + lf);
    return out;
}

QStringList plainSplit(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    if (lines.isEmpty())
        return {};
    QStringList rows = lines.split(u'\r');
    if (lines.endsWith(u'\r'))
        rows.removeLast();
    return rows;
}

void checkSplitting(const QString &text)
{
    const QStringList rows = splitHistoryLines(text);
    FUZZ_CHECK(rows == plainSplit(text));
    for (const QString &row : rows)
        FUZZ_CHECK(!row.contains(u'\r'));

    bool loneCr = false;
    for (qsizetype i = 0; i < text.size(); ++i)
        loneCr = loneCr || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'));
    if (!loneCr) {
        const QString joined = rows.join(QLatin1String("\r\n"));
        FUZZ_CHECK(joined == text || joined + QLatin1String("\r\n") == text);
    }
}

// The same bytes read through the file system, from an anonymous file in memory where Linux
// has one, elsewhere from a temporary file.
void checkReadFromFile(const QByteArray &bytes)
{
    const auto check = [&](const QString &path) {
        const Result<QByteArray> read = readWholeFile(path, maxHistoryFileBytes);
        FUZZ_CHECK(read.ok() == (bytes.size() <= maxHistoryFileBytes));
        FUZZ_CHECK(read.value == (read.ok() ? bytes : QByteArray()));
    };
#ifdef Q_OS_LINUX
    const int fd = memfd_create("history", 0);
    if (fd < 0)
        return;
    if (write(fd, bytes.constData(), std::size_t(bytes.size())) == bytes.size())
        check(QStringLiteral("/proc/self/fd/%1").arg(fd));
    close(fd);
#else
    QTemporaryFile file;
    if (file.open() && file.write(bytes) == bytes.size() && file.flush())
        check(file.fileName());
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkSplitting(fuzz::utf8Text(data, size));
    // decodeGbk() takes ASCII text without asking the converter: the same text.
    if (const std::optional<QString> strict = strictDecodeGbk(bytes))
        FUZZ_CHECK(decodeGbk(bytes) == *strict);

    const Result<QStringList> file = decodeHistoryFile(bytes);
    // Each read sets aside a buffer as large as the largest history file, which under the
    // sanitizers costs milliseconds: one input in 64, chosen by its bytes, is read back.
    if (qHash(bytes) % 64 == 0)
        checkReadFromFile(bytes);
    if (!file.ok()) {
        FUZZ_CHECK(file.value.isEmpty());
        bool plainAscii = true;
        for (char c : bytes)
            plainAscii = plainAscii && c > 0;
        // Only a row count over the limit may refuse plain text, and that takes more bytes.
        FUZZ_CHECK(!plainAscii || bytes.count('\r') >= maxHistoryRows);
        return 0;
    }

    FUZZ_CHECK(file.value.size() <= maxHistoryRows);
    for (const QString &row : file.value) {
        FUZZ_CHECK(!row.contains(u'\r'));
        FUZZ_CHECK(!row.contains(QChar(u'\0')));
    }

    // The mark, as the file's first bytes name it; without one the file is GBK, or UTF-8
    // where its bytes are not GBK.
    qsizetype mark = 0;
    Units units { 1, false };
    const bool gbk = strictDecodeGbk(bytes).has_value();
    std::optional<QStringEncoder> encoder; // none for GBK
    if (!gbk)
        encoder.emplace(QStringConverter::Utf8);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        mark = 3;
        encoder.emplace(QStringConverter::Utf8);
    } else if (bytes.startsWith("\xFF\xFE")) {
        mark = 2;
        units = { 2, false };
        encoder.emplace(QStringConverter::Utf16LE);
    } else if (bytes.startsWith("\xFE\xFF")) {
        mark = 2;
        units = { 2, true };
        encoder.emplace(QStringConverter::Utf16BE);
    }
    QString lines;
    for (const QString &row : file.value)
        lines += row + QLatin1String("\r\n");
    const QByteArray body = bytes.mid(mark);
    const QByteArray again = encoder ? QByteArray(encoder->encode(lines))
                                     : strictEncodeGbk(lines).value_or(QByteArray());
    FUZZ_CHECK(again == withCrLfEndings(body, units));

    // A GBK file comes back byte for byte in the result file, after its heading line.
    if (mark == 0 && gbk) {
        const QStringList captions(7, QStringLiteral("08"));
        const ResultFileBytes saved = encodeResultFile(captions, file.value);
        FUZZ_CHECK(saved.unencodableLine == 0);
        const qsizetype headingEnd = saved.bytes.indexOf("\r\n") + 2;
        FUZZ_CHECK(saved.bytes.mid(headingEnd) == withCrLfEndings(body, units));
    }
    return 0;
}
