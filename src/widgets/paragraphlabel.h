#pragma once

#include <QLabel>

namespace orbelune {

// A label for a paragraph of Chinese text, wrapped to the label's width at a fixed line pitch.
// The CJK faces found on Linux carry a line spacing made for Latin accents (17 px for a 12 px
// face); at that pitch a paragraph laid out for a 12 px Song face runs into whatever sits
// under it. The label keeps its text plain, so that it reads the same to a screen reader.
class ParagraphLabel : public QLabel
{
public:
    ParagraphLabel(const QString &text, int linePitch, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_linePitch;
};

} // namespace orbelune
