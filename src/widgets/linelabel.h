#pragma once

#include <QLabel>

namespace orbelune {

// A label of one line sized as a Song face sizes it: the font's em box, the baseline 0.88 em
// below the top (the ideographic em box). Other faces would set the text lower by their extra
// line spacing (17 px for a 12 px face) and push a caption off its ball or a line off the
// window. Glyphs past the em box grow the line just enough to show whole. Given a size of its
// own, it sets its text from the top left.
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
