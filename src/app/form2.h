#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace orbelune {

class ClickLabel;
class ClickPicture;
class ParagraphLabel;
class SvgPicture;

// The about window: what the program is, who made it, and two ways out to the web. It holds
// no state; Form1::about_Click builds one afresh for each showing and it is destroyed when
// it closes.
class Form2 : public QDialog
{
    Q_OBJECT

public:
    explicit Form2(QWidget *owner);
    ~Form2() override;

    ClickPicture *Picture1 = nullptr; // the lottery operator's logo, a link to its website
    SvgPicture *Image2 = nullptr; // the application icon
    SvgPicture *Image1 = nullptr; // a computer tower
    ParagraphLabel *Label1 = nullptr; // the product description
    QLabel *Label2 = nullptr; // the dedication line
    QPushButton *Command1 = nullptr; // "确 认"
    ClickLabel *Label3 = nullptr; // the maker's brand, a link to the maker's home page

    void Command1_Click();
    void Label3_Click();
    void Picture1_Click();

private:
    void describeForAccessibility();
};

} // namespace orbelune
