#include "history/dialogrules.h"

namespace orbelune {

QString withTxtEnding(const QString &path)
{
    // Characters, not extensions: "resulttxt" counts as ending in txt.
    if (path.isEmpty() || path.right(3).toLower() == QLatin1String("txt"))
        return path;
    return path + QLatin1String(".txt");
}

QString openDialogFilterList(const QString &pattern)
{
    const QChar nul(u'\0');
    return QStringLiteral("文本文件(*.txt)") + nul + pattern + nul + QStringLiteral("所有文件(*.*)")
        + nul + QStringLiteral("*.*") + nul;
}

QStringList qtNameFilters(const QString &filterList)
{
    QStringList parts = filterList.split(QChar(u'\0'));
    // The list ends with NULs; those leave empty parts behind.
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();

    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QStringList patterns;
        const QString windowsPatterns = i + 1 < parts.size() ? parts.at(i + 1) : QString();
        for (const QString &pattern : windowsPatterns.split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            if (trimmed.isEmpty())
                continue;
            // On Windows "*.*" also matches names without a dot; elsewhere only "*" does.
            patterns.append(trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        // Qt reads the patterns from the last parenthesis; the description, brackets and all,
        // is what the dialog shows when told to hide the details.
        filters.append(parts.at(i) + QLatin1String(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

} // namespace orbelune
