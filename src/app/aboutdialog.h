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
// no state; MainWindow::showAbout builds one afresh for each showing and it is destroyed when
// it closes.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *owner);

private:
    ClickPicture *m_lotteryLogo = nullptr; // a link to the lottery operator's website
    SvgPicture *m_appIcon = nullptr;
    SvgPicture *m_computerPicture = nullptr;
    ParagraphLabel *m_descriptionLabel = nullptr;
    QLabel *m_dedicationLabel = nullptr;
    QPushButton *m_okButton = nullptr;
    ClickLabel *m_brandLink = nullptr; // a link to the maker's home page

    void describeForAccessibility();
};

} // namespace orbelune
