// The about window.

#include "app/aboutdialog.h"

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

// The 12 px face and two pixels of leading: six lines end above the dedication line.
constexpr int descriptionLinePitch = defaultFontPx + 2;

AboutDialog::AboutDialog(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("关于 Orbelune"));
    setWindowIcon(svgIcon(QStringLiteral(":/app-icon.svg")));
    // A fixed single border with a close box and nothing else.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(tw(5295), tw(3780));
    makeWhite(this);
    setFont(songFont(defaultFontPx));
    const QCursor hand = handCursor(devicePixelRatioF());

    m_lotteryLogo = new ClickPicture(QStringLiteral(":/about-logo.svg"), this);
    m_lotteryLogo->setObjectName(QStringLiteral("lotteryLogo"));
    m_lotteryLogo->setGeometry(twRect(90, 75, 3255, 1200));
    m_lotteryLogo->setCursor(hand);
    m_lotteryLogo->setToolTip(lotteryLinkToolTip.toString());
    connect(m_lotteryLogo, &ClickPicture::clicked, this, [] { openWebAddress(lotteryWebsite()); });

    m_appIcon = new SvgPicture(QStringLiteral(":/app-icon.svg"), this);
    m_appIcon->setObjectName(QStringLiteral("appIcon"));
    m_appIcon->setGeometry(twRect(3645, 120, 480, 480));

    // Drawn after the icon, so the computer stands in front of it where the two overlap.
    m_computerPicture = new SvgPicture(QStringLiteral(":/computer.svg"), this);
    m_computerPicture->setObjectName(QStringLiteral("computerPicture"));
    m_computerPicture->setGeometry(twRect(3900, 180, 960, 960));

    m_descriptionLabel
        = new ParagraphLabel(productDescription.toString(), descriptionLinePitch, this);
    m_descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    m_descriptionLabel->setGeometry(twRect(135, 1410, 4800, 1560));

    m_dedicationLabel = new QLabel(dedicationLine(), this);
    m_dedicationLabel->setObjectName(QStringLiteral("dedicationLabel"));
    m_dedicationLabel->move(tw(510), tw(2745));
    m_dedicationLabel->adjustSize();

    // The default button: Enter closes the window, as Esc and the close box do.
    m_okButton = makeDefaultButton(QStringLiteral("确 认"), "okButton",
                                   twRect(3795, 3180, 1275, 465), this);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::close);

    m_brandLink = new ClickLabel(brandLabel(), this);
    m_brandLink->setObjectName(QStringLiteral("brandLink"));
    m_brandLink->setGeometry(twRect(150, 3525, 1830, 225));
    setPaletteColor(m_brandLink, QPalette::WindowText, QColor(0x00, 0x00, 0xC0));
    m_brandLink->setCursor(hand);
    connect(m_brandLink, &ClickLabel::clicked, this, [] { openWebAddress(makerHomePage()); });

    describeForAccessibility();
    m_okButton->setFocus();
}

void AboutDialog::describeForAccessibility()
{
    m_lotteryLogo->setAccessibleName(lotteryLinkToolTip.toString());
    m_lotteryLogo->setAccessibleDescription(QStringLiteral("中国福利彩票网站标志，单击访问"));
    m_appIcon->setAccessibleName(QStringLiteral("Orbelune 图标"));
    m_appIcon->setAccessibleDescription(QStringLiteral("图片"));
    m_computerPicture->setAccessibleName(QStringLiteral("电脑"));
    m_computerPicture->setAccessibleDescription(QStringLiteral("图片"));
    m_descriptionLabel->setAccessibleDescription(QStringLiteral("软件介绍"));
    m_dedicationLabel->setAccessibleDescription(QStringLiteral("赠言"));
    m_okButton->setAccessibleDescription(QStringLiteral("关闭关于窗口"));
    m_brandLink->setAccessibleDescription(QStringLiteral("制作者，单击访问主页"));
}

} // namespace orbelune
