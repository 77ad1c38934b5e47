#pragma once

#include "widgets/linelabel.h"

namespace orbelune {

// A label that reacts to a click, for the program's link texts (each one line); to assistive
// technology it is a link that can be pressed.
class ClickLabel : public LineLabel
{
    Q_OBJECT

public:
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace orbelune
