// The about window.

#include "app/form2.h"

#include "app/links.h"
#include "app/texts.h"
#include "widgets/appstyle.h"
#include "widgets/clicklabel.h"
#include "widgets/handcursor.h"
#include "widgets/paragraphlabel.h"
#include "widgets/svgpicture.h"
#include "widgets/twips.h"

#include <QPushButton>

namespace orbelune {

namespace {

// The description's lines come at this pitch: the 12 px face and two pixels of leading. Six
// lines end above the dedication line.
constexpr int descriptionLinePitch = defaultFontPx + 2;

} // namespace

Form2::Form2(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("关于 Orbelune"));
    setWindowIcon(svgIcon(QStringLiteral(":/app-icon.svg")));
    // A fixed single border with a close box and nothing else.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(tw(5295), tw(3780));
    makeWhite(this);
    setFont(songFont(defaultFontPx));
    const QCursor hand = handCursor(devicePixelRatioF());

    Picture1 = new ClickPicture(QStringLiteral(":/about-logo.svg"), this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twRect(90, 75, 3255, 1200));
    Picture1->setCursor(hand);
    Picture1->setToolTip(lotteryLinkToolTip.toString());
    connect(Picture1, &ClickPicture::clicked, this, &Form2::Picture1_Click);

    Image2 = new SvgPicture(QStringLiteral(":/app-icon.svg"), this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(twRect(3645, 120, 480, 480));

    // Drawn after the icon, so the computer stands in front of it where the two overlap.
    Image1 = new SvgPicture(QStringLiteral(":/computer.svg"), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twRect(3900, 180, 960, 960));

    Label1 = new ParagraphLabel(productDescription.toString(), descriptionLinePitch, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twRect(135, 1410, 4800, 1560));

    Label2 = new QLabel(dedicationLine(), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(tw(510), tw(2745));
    Label2->adjustSize();

    // The default button: Enter closes the window, as Esc and the close box do.
    Command1 = makeDefaultButton(QStringLiteral("确 认"), "Command1", twRect(3795, 3180, 1275, 465),
                                 this);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    Label3 = new ClickLabel(brandLabel(), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(twRect(150, 3525, 1830, 225));
    setPaletteColor(Label3, QPalette::WindowText, QColor(0x00, 0x00, 0xC0));
    Label3->setCursor(hand);
    connect(Label3, &ClickLabel::clicked, this, &Form2::Label3_Click);

    describeForAccessibility();
    Command1->setFocus();
}

Form2::~Form2() = default;

void Form2::describeForAccessibility()
{
    Picture1->setAccessibleName(lotteryLinkToolTip.toString());
    Picture1->setAccessibleDescription(QStringLiteral("中国福利彩票网站标志，单击访问 (Picture1)"));
    Image2->setAccessibleName(QStringLiteral("Orbelune 图标"));
    Image2->setAccessibleDescription(QStringLiteral("图片 (Image2)"));
    Image1->setAccessibleName(QStringLiteral("电脑"));
    Image1->setAccessibleDescription(QStringLiteral("图片 (Image1)"));
    Label1->setAccessibleDescription(QStringLiteral("软件介绍 (Label1)"));
    Label2->setAccessibleDescription(QStringLiteral("赠言 (Label2)"));
    Command1->setAccessibleDescription(QStringLiteral("关闭关于窗口 (Command1)"));
    Label3->setAccessibleDescription(QStringLiteral("制作者，单击访问主页 (Label3)"));
}

void Form2::Command1_Click()
{
    close();
}

void Form2::Label3_Click()
{
    openWebAddress(makerHomePage());
}

void Form2::Picture1_Click()
{
    openWebAddress(lotteryWebsite());
}

} // namespace orbelune
