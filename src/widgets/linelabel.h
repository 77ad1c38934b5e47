#pragma once

#include <QLabel>

namespace orbelune {

// A label of one line, sized to its text the way a Song face sizes it: the line is the font's
// em box, with the baseline 0.88 em below the top (the ideographic em box), where other faces
// would set the text lower by their extra line spacing (17 px for a 12 px face, not 12) and
// push a caption off its ball or a line off the window. Where the face's glyphs reach past
// the em box, the line grows just enough to show them whole. Placed with a size of its own, it sets
// its text from the top left.
class LineLabel : public QLabel
{
public:
    explicit LineLabel(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // From the top of the label down to the baseline of its text, in pixels.
    int baseline() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace orbelune
