#pragma once

#include <QStyledItemDelegate>

namespace orbelune {

// Shows every item of a list box on one line, as a list box does: a line break inside an
// item is shown as "↵", and an item longer than a line could ever show is cut, so that a row
// as long as a whole file is painted, measured and selected as quickly as any other.
class OneLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // More than the widest list box shows, even in the narrowest characters.
    static constexpr qsizetype maxShownChars = 256;

    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

} // namespace orbelune
