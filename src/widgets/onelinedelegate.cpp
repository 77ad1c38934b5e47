#include "widgets/onelinedelegate.h"

#include "history/messagequote.h"

namespace orbelune {

QString OneLineDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    if (value.typeId() != QMetaType::QString)
        return QStyledItemDelegate::displayText(value, locale);

    // Qt's own delegate would turn every LF into a line of the item, and lay out all of the
    // text on every paint, however little of it shows.
    return oneLineText(value.toString(), maxShownChars);
}

} // namespace orbelune
