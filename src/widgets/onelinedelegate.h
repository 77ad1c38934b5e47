#pragma once

#include <QStyledItemDelegate>

namespace orbelune {

// Shows every item on one line, a line break as "↵", cut where no line could show more, so
// that a row as long as a whole file is painted, measured and selected as fast as any other.
class OneLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // More than the widest list box shows, even in the narrowest characters.
    static constexpr qsizetype maxShownChars = 256;

    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

} // namespace orbelune
