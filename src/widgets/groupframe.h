#pragma once

#include <QGroupBox>

namespace orbelune {

// A white group box whose caption starts with blanks that leave room for an icon over its
// top-left corner. Each leading blank is half a Chinese character wide, whatever the width
// of a blank in the font at hand, so the icon never covers the caption.
class GroupFrame : public QGroupBox
{
public:
    GroupFrame(const QString &title, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace orbelune
