#pragma once

#include "widgets/clickable.h"

#include <QLabel>

namespace orbelune {

// A label that reacts to a click, for the program's link texts; to assistive technology it is
// a link that can be pressed.
class ClickLabel : public QLabel, public Clickable
{
public:
    explicit ClickLabel(QWidget *parent = nullptr);
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace orbelune
