#include "widgets/onelinedelegate.h"

#include <algorithm>

namespace orbelune {

QString OneLineDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    if (value.typeId() != QMetaType::QString)
        return QStyledItemDelegate::displayText(value, locale);

    // Qt's own delegate would turn every LF into a line of the item, and lay out all of the
    // text on every paint, however little of it shows.
    const QString text = value.toString();
    qsizetype shown = std::min(text.size(), maxShownChars);
    if (shown < text.size() && text[shown].isLowSurrogate() && text[shown - 1].isHighSurrogate())
        --shown;
    QString line = text.first(shown);
    for (QChar &c : line) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f' || u == 0x85 || u == 0x2028
            || u == 0x2029)
            c = QChar(0x21B5);
    }
    if (shown < text.size())
        line += QStringLiteral("…");
    return line;
}

} // namespace orbelune
