#pragma once

#include "widgets/clickable.h"

#include "widgets/linelabel.h"

namespace orbelune {

// A label that reacts to a click, for the program's link texts (each one line); to assistive
// technology it is a link that can be pressed.
class ClickLabel : public LineLabel, public Clickable
{
public:
    explicit ClickLabel(QWidget *parent = nullptr);
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace orbelune
