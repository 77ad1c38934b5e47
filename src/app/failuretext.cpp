#include "app/failuretext.h"

#include "history/historytext.h"
#include "history/messagequote.h"

#include <QDir>
#include <QStringList>

#include <utility>

namespace orbelune {

namespace {

// The hidden characters a user may have met by name; the rest are named by their kind.
constexpr std::pair<char32_t, const char *> hiddenNames[] = {
    { 0x0000, "空字符" },       { 0x00A0, "不换行空格" },   { 0x00AD, "软连字符" },
    { 0x200B, "零宽空格" },     { 0x200C, "零宽不连字" },   { 0x200D, "零宽连字" },
    { 0x200E, "从左至右标记" }, { 0x200F, "从右至左标记" }, { 0x2060, "字连接符" },
    { 0x3000, "全角空格" },     { 0xFEFF, "字节顺序标记" },
};

// The cause of each fault in words; FileFault::Other, and any fault not here, by its code.
constexpr std::pair<FileFault, const char *> causes[] = {
    { FileFault::NoSpace, "磁盘已满，没有剩余空间" },
    { FileFault::Quota, "超出了磁盘配额" },
    { FileFault::ReadOnlyFileSystem, "文件系统是只读的" },
    { FileFault::WriteProtected, "磁盘有写保护" },
    { FileFault::NameTooLong, "文件名或路径太长" },
    { FileFault::InvalidName, "文件名中有不允许的字符" },
    { FileFault::ColonInName, "文件名中不能有冒号（:）" },
    { FileFault::PermissionDenied, "权限被拒绝" },
    { FileFault::ReadOnlyFile, "文件带有“只读”属性，可以在它的属性中取消" },
    { FileFault::Io, "磁盘读写出错" },
    { FileFault::TooLarge, "文件超出了允许的大小" },
    { FileFault::NotFound, "文件或文件夹不存在" },
    { FileFault::NotADirectory, "路径中有一部分不是文件夹" },
    { FileFault::IsADirectory, "这是一个文件夹" },
    { FileFault::NotRegularFile, "这不是普通文件" },
    { FileFault::LinkLoop, "符号链接的层数太多" },
    { FileFault::Busy, "文件正在被使用" },
    { FileFault::HeldByOtherProgram, "文件正被另一个程序使用" },
    { FileFault::TooManyOpenFiles, "打开的文件太多" },
    { FileFault::NoMemory, "内存不足" },
    { FileFault::TryAgain, "文件暂时无法访问" },
    { FileFault::NotSupported, "文件系统不支持这样的操作" },
    { FileFault::NoDevice, "设备不存在" },
    { FileFault::DeviceNotReady, "设备没有准备好：U 盘可能已被拔出，或驱动器中没有磁盘" },
    { FileFault::NetworkGone, "网络位置无法访问，或网络连接已断开" },
    { FileFault::AlreadyExists, "文件已经存在" },
    { FileFault::Changed, "文件在此期间被另一个程序改动或替换" },
};

// What each step of a save could not do; in any other step the file could not be created.
constexpr std::pair<FailureStep, const char *> saveSteps[] = {
    { FailureStep::Open, "不能改写这个文件" },
    { FailureStep::Write, "写入文件时出错" },
    { FailureStep::Replace, "无法用新文件替换原有的文件" },
    { FailureStep::Rewrite, "无法改写文件" },
};

// A path that names something other than a file, in words; empty text for any other fault.
QString notAFile(FileFault fault)
{
    if (fault == FileFault::IsADirectory)
        return QStringLiteral("这是一个文件夹，不是文件。");
    return fault == FileFault::NotRegularFile ? QStringLiteral("这不是普通文件。") : QString();
}

QString hiddenCharacterName(char32_t c)
{
    for (const auto &[known, name] : hiddenNames) {
        if (known == c)
            return QString::fromUtf8(name);
    }
    switch (QChar::category(c)) {
    case QChar::Other_Control:
        return QStringLiteral("控制字符");
    case QChar::Separator_Space:
        return QStringLiteral("空白字符");
    case QChar::Other_Format:
        return QStringLiteral("格式字符");
    default:
        return QStringLiteral("不显示的字符");
    }
}

// A quote isolated from the message around it (U+2068 … U+2069): no direction mark or override
// in a row can change how the program's own words read.
QString isolated(const QString &text)
{
    return QChar(0x2068) + text + QChar(0x2069);
}

QString because(const char *what, const Failure &failure)
{
    return QStringLiteral("%1（%2）。").arg(QString::fromUtf8(what), causeText(failure));
}

const QString saveAgainAsText
    = QStringLiteral("\r\n请用文本编辑器把文件另存为 GBK 或 UTF-8 编码，再重新导入。");

QString decodeFailureText(const Failure &failure)
{
    switch (failure.text) {
    case TextFault::HoldsNul:
        return QStringLiteral("文件中含有空字符 (NUL)，不是文本文件。");
    case TextFault::Utf16WithoutMark:
        return QStringLiteral("文件看起来是没有字节顺序标记的 UTF-16 文本。") + saveAgainAsText;
    case TextFault::NotGbkOrUtf8:
        if (failure.line == 0)
            return QStringLiteral("文件含有不能按 GBK 编码读取的字节；"
                                  "这个文件既不是 GBK 也不是 UTF-8 文本。");
        return QStringLiteral(
                   "第 %1 行第 %2 个字符是一个既不是 GBK 也不是 UTF-8 文字的字节（0x%3）：\r\n")
                   .arg(failure.line)
                   .arg(failure.column)
                   .arg(QString::number(failure.byte, 16).toUpper())
            + quotedForMessage(failure.shownLine, failure.shownAt, failure.lineLength)
            + saveAgainAsText;
    case TextFault::NotItsUnicode:
        if (failure.line == 0)
            return QStringLiteral("文件以 %1 字节顺序标记开头，但内容不是有效的 %1 文本。")
                .arg(failure.encoding);
        return QStringLiteral("文件以 %1 字节顺序标记开头，但第 %2 行第 %3 个字符不是有效的 "
                              "%1 文字。")
            .arg(failure.encoding)
            .arg(failure.line)
            .arg(failure.column);
    case TextFault::TooManyRows:
        return QStringLiteral("文件有 %1 行，往期数据列表最多只能容纳 %2 行。")
            .arg(failure.count)
            .arg(maxHistoryRows);
    case TextFault::None:
        break;
    }
    return QString();
}

} // namespace

QString causeText(const Failure &failure)
{
    for (const auto &[fault, text] : causes) {
        if (fault == failure.fault)
            return QString::fromUtf8(text);
    }
    return QStringLiteral("系统错误，代码 %1").arg(failure.code);
}

QString quotedForMessage(QStringView text, qsizetype focus, qsizetype length)
{
    const Quote quote = quoteOf(text, focus, length);
    if (quote.whole)
        return isolated(quote.text);
    const QString ellipsis = QStringLiteral("…");
    return isolated((quote.cutBefore ? ellipsis : QString()) + quote.text
                    + (quote.cutAfter ? ellipsis : QString()))
        + QStringLiteral("（共 %1 个字符）").arg(quote.length);
}

QString characterForMessage(char32_t c)
{
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QChar(u'0')).toUpper();
    if (isHiddenCharacter(c))
        return QStringLiteral("%1（%2）").arg(code, hiddenCharacterName(c));
    return QStringLiteral("“%1”（%2）").arg(QString::fromUcs4(&c, 1), code);
}

QString hiddenCharacters(QStringView text)
{
    bool more = false;
    QStringList named;
    for (const char32_t c : hiddenCharactersIn(text, more))
        named.append(characterForMessage(c));
    return named.join(QStringLiteral("、")) + (more ? QStringLiteral("等") : QString());
}

QString rowFormatMessage(QStringView row)
{
    QString text = QStringLiteral("错误的数据格式！\r\n"
                                  "参考格式：红球,红球,红球,红球,红球 蓝球\r\n"
                                  "例如：10,11,12,15,26,29 09\r\n"
                                  "\r\n");
    // A row as long as a whole file (a file with LF-only line ends is one row) would make a
    // box far taller than the screen, and take seconds to lay out.
    text.append(quotedForMessage(row));
    // A row that looks right may hold a character that shows as nothing: the second of two
    // files joined into one brings its byte-order mark along.
    if (const QString hidden = hiddenCharacters(row); !hidden.isEmpty())
        text.append(QStringLiteral("\r\n这一行含有看不见的字符：") + hidden);
    return text;
}

QString importFailureText(const Failure &failure)
{
    if (failure.step == FailureStep::Decode)
        return decodeFailureText(failure);
    if (const QString text = notAFile(failure.fault); !text.isEmpty())
        return text;
    const bool opening = failure.step == FailureStep::OpenToRead;
    if (opening && failure.fault == FileFault::NotFound)
        return QStringLiteral("文件不存在。");
    if (opening && failure.fault == FileFault::TooLarge)
        return QStringLiteral("文件太大：往期数据文件最多 %1 字节（%2 MiB）。")
            .arg(failure.count)
            .arg(failure.count / (1024 * 1024));
    return because(opening ? "无法打开文件" : "读取文件时出错", failure);
}

QString saveFailureText(const Failure &failure)
{
    const bool looking = failure.step == FailureStep::Look;
    QString text = looking ? notAFile(failure.fault) : QString();
    if (looking && failure.fault == FileFault::NotFound)
        text = QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(failure.place));
    if (text.isEmpty()) {
        const char *what = "无法创建文件";
        for (const auto &[step, words] : saveSteps) {
            if (step == failure.step)
                what = words;
        }
        text = because(what, failure);
    }
    if (failure.step == FailureStep::Replace && !failure.place.isEmpty())
        text += QStringLiteral("原有的文件现在名为“%1”。")
                    .arg(QDir::toNativeSeparators(failure.place));
    if (!failure.leftover.isEmpty())
        text += QStringLiteral("文件“%1”无法删除，仍留在文件夹中。")
                    .arg(QDir::toNativeSeparators(failure.leftover));
    return text;
}

QString leftBySaveText(const Failure &failure, bool existed)
{
    // Only a file written over in place is touched by a failed save: the user must know
    // whether its old content is back or gone.
    switch (failure.old) {
    case OldContent::PutBack:
        return QStringLiteral("这个文件不能由新文件替换，只能在原处直接改写；改写时出错，"
                              "已经把原有的内容写回，原有的文件完好无损。");
    case OldContent::Lost:
        return QStringLiteral("这个文件不能由新文件替换，只能在原处直接改写；"
                              "改写到一半时出错，原有的内容已经丢失，文件中只有部分结果。"
                              "请换一个位置重新保存。");
    case OldContent::Untouched:
        break;
    }
    return existed ? QStringLiteral("原有的文件没有改动。") : QStringLiteral("没有写入任何内容。");
}

} // namespace orbelune
