// The about window, the four web links, the texts that name the maker and the hand pointer.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/links.h"
#include "app/mainwindow.h"
#include "app/texts.h"
#include "history/historytext.h"
#include "widgets/appstyle.h"
#include "widgets/clicklabel.h"
#include "widgets/handcursor.h"
#include "widgets/paragraphlabel.h"
#include "widgets/stagetimer.h"
#include "widgets/svgpicture.h"

#include <QAccessible>
#include <QBitmap>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleFactory>
#include <QToolTip>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

enum class Link { CopyrightLine, VisitHomePage, BrandLabel, Logo };

// Runs `look` on the about window once it is the active modal window, then closes it with
// `close`. A window that never shows is closed all the same after a while, so that a failing
// test fails instead of waiting for ever.
void whenAboutOpens(std::function<void(AboutDialog *)> look,
                    std::function<void(AboutDialog *)> close)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, look, close] {
        auto *about = qobject_cast<AboutDialog *>(QApplication::activeModalWidget());
        if (!about)
            return;
        poll->deleteLater();
        poll->stop();
        look(about);
        close(about);
    });
    poll->start(10);
    QTimer::singleShot(20000, poll, [poll] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        poll->deleteLater();
    });
}

} // namespace

class TestAboutDialog : public WindowTest
{
    Q_OBJECT

private slots:
    // What the program does before it builds a window.
    void initTestCase() { installProgramLook(); }

    void linkOpensItsAddress_data();
    void linkOpensItsAddress();
    void unopenableLinkFailsSilently();

    void aboutIsModalOwnedAndFresh_data();
    void aboutIsModalOwnedAndFresh();
    void runGoesOnBehindAbout();

    void layoutInPixels_data();
    void layoutInPixels();
    void textsFitTheirPlaces();
    void textsAreGbk_data();
    void textsAreGbk();
    void copyrightLineShowsItsAddress();
    void handPointsWithTheFingerTip();
    void sameLookOnAnyDesktop_data();
    void sameLookOnAnyDesktop();
};

void TestAboutDialog::linkOpensItsAddress_data()
{
    QTest::addColumn<Link>("link");
    QTest::addColumn<QString>("address");
    const QString maker = makerHomePage().toString();
    QTest::addRow("main window's copyright line") << Link::CopyrightLine << maker;
    QTest::addRow("menu item 访问主页") << Link::VisitHomePage << maker;
    QTest::addRow("about window's brand label") << Link::BrandLabel << maker;
    QTest::addRow("about window's logo") << Link::Logo << lotteryWebsite().toString();
}

void TestAboutDialog::linkOpensItsAddress()
{
    QFETCH(Link, link);
    QFETCH(QString, address);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    AboutDialog about(m_form);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    if (link == Link::VisitHomePage) {
        ui(m_form).homePageAction->trigger();
        QCOMPARE(m_seams->opened, QList<QUrl> { QUrl(address) });
        return;
    }
    QWidget *widget = link == Link::CopyrightLine ? static_cast<QWidget *>(ui(m_form).copyrightLink)
        : link == Link::BrandLabel ? static_cast<QWidget *>(child<QWidget>(&about, "brandLink"))
                                   : static_cast<QWidget *>(child<QWidget>(&about, "lotteryLogo"));
    QTest::mouseClick(widget, Qt::LeftButton);
    QCOMPARE(m_seams->opened, QList<QUrl> { QUrl(address) });

    // A screen reader sees a link it can press, to the same address.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface->state().linked);
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_seams->opened, QList<QUrl>(2, QUrl(address)));

    // Every link shows the same hand.
    QCOMPARE(widget->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(widget->cursor().hotSpot(), QPoint(6, 0));
    QCOMPARE(widget->cursor().bitmap().toImage(), handCursor().bitmap().toImage());
}

void TestAboutDialog::unopenableLinkFailsSilently()
{
    m_seams->linksOpen = false;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    const int windows = QApplication::topLevelWidgets().size();
    QTest::mouseClick(ui(m_form).copyrightLink, Qt::LeftButton);
    ui(m_form).homePageAction->trigger();
    QCOMPARE(m_seams->opened.size(), 2);
    QVERIFY(m_seams->messages.isEmpty());
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QVERIFY(!isRunning(m_form));
}

void TestAboutDialog::aboutIsModalOwnedAndFresh_data()
{
    QTest::addColumn<int>("way");
    QTest::addRow("closed by 确 认") << 0;
    QTest::addRow("closed by the close box") << 1;
    QTest::addRow("closed by Esc") << 2;
    QTest::addRow("closed by Enter on the default button") << 3;
}

void TestAboutDialog::aboutIsModalOwnedAndFresh()
{
    QFETCH(int, way);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    auto close = [way](AboutDialog *about) {
        if (way == 0)
            child<QPushButton>(about, "okButton")->click();
        else if (way == 1)
            about->close();
        else
            QTest::keyClick(about, way == 2 ? Qt::Key_Escape : Qt::Key_Return);
    };

    // The first showing is spoiled on purpose: the next must not inherit any of it.
    QPointer<AboutDialog> first;
    whenAboutOpens(
        [&first](AboutDialog *about) {
            first = about;
            child<QLabel>(about, "descriptionLabel")->setText(QStringLiteral("spoilt"));
        },
        close);
    ui(m_form).aboutAction->trigger();
    QVERIFY(first.isNull()); // destroyed on close, by the time about_Click returns

    QPointer<AboutDialog> second;
    bool modal = false;
    QWidget *owner = nullptr;
    QString caption;
    QSize size;
    QString description;
    whenAboutOpens(
        [&](AboutDialog *about) {
            second = about;
            modal = about->isModal() && about->isVisible();
            owner = about->parentWidget();
            caption = about->windowTitle();
            size = about->size();
            description = child<QLabel>(about, "descriptionLabel")->text();
        },
        close);
    ui(m_form).aboutAction->trigger();
    QVERIFY(second.isNull());
    QVERIFY(modal);
    QCOMPARE(owner, m_form);
    QCOMPARE(caption, QStringLiteral("关于 Orbelune"));
    QCOMPARE(size, QSize(353, 252));
    QCOMPARE(description, productDescription.toString());
    QVERIFY(m_form->findChildren<AboutDialog *>().isEmpty());
}

void TestAboutDialog::runGoesOnBehindAbout()
{
    // The real timers run, only faster: what counts is that they tick inside the about
    // window's modal loop.
    ui(m_form).stageTimer->setInterval(20);
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.5f }));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    ui(m_form).startButton->click();
    QVERIFY(isRunning(m_form));

    bool openDuringRun = false;
    bool endedWhileOpen = false;
    whenAboutOpens([this, &openDuringRun](AboutDialog *) { openDuringRun = isRunning(m_form); },
                   [this, &endedWhileOpen](AboutDialog *about) {
                       // Keep the window open until the run behind it has ended.
                       auto *wait = new QTimer(about);
                       connect(wait, &QTimer::timeout, about, [this, about, &endedWhileOpen] {
                           if (isRunning(m_form))
                               return;
                           endedWhileOpen = true;
                           child<QPushButton>(about, "okButton")->click();
                       });
                       wait->start(10);
                   });
    ui(m_form).aboutAction->trigger();

    QVERIFY(openDuringRun);
    QVERIFY(endedWhileOpen);
    VERIFY_RUN_STATE(m_form, false, "0");
    for (int p = 0; p < 7; ++p) {
        const qint16 number = drawnNumber(m_form, p);
        QVERIFY2(number >= 1 && number <= (p < 6 ? 33 : 16), qPrintable(QString::number(p)));
        QVERIFY(ui(m_form).ballCaptions[std::size_t(p)]->isVisible());
    }
}

void TestAboutDialog::layoutInPixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    // The layout's twips divided by 15, in the about window's client area.
    QTest::addRow("logo") << "lotteryLogo" << QRect(6, 5, 217, 80);
    QTest::addRow("application icon") << "appIcon" << QRect(243, 8, 32, 32);
    QTest::addRow("computer") << "computerPicture" << QRect(260, 12, 64, 64);
    QTest::addRow("description") << "descriptionLabel" << QRect(9, 94, 320, 104);
    QTest::addRow("button") << "okButton" << QRect(253, 212, 85, 31);
    QTest::addRow("brand label") << "brandLink" << QRect(10, 235, 122, 15);
}

void TestAboutDialog::layoutInPixels()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    AboutDialog about(m_form);
    auto *widget = about.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
}

void TestAboutDialog::textsFitTheirPlaces()
{
    AboutDialog about(m_form);
    // The dedication line sizes itself to its text from its place, inside the window.
    QCOMPARE(child<QWidget>(&about, "dedicationLabel")->pos(), QPoint(34, 183));
    QCOMPARE(child<QWidget>(&about, "dedicationLabel")->size(),
             child<QWidget>(&about, "dedicationLabel")->sizeHint());
    QVERIFY(QRect(QPoint(0, 0), about.size())
                .contains(child<QWidget>(&about, "dedicationLabel")->geometry()));
    // The description ends above the dedication line, and the brand fits its label.
    const QRect description = inkBounds(child<QLabel>(&about, "descriptionLabel"));
    QVERIFY(!description.isEmpty());
    QVERIFY2(child<QLabel>(&about, "descriptionLabel")->y() + description.bottom()
                 < child<QWidget>(&about, "dedicationLabel")->y(),
             qPrintable(QDebug::toString(description)));
    QVERIFY(child<QWidget>(&about, "brandLink")->sizeHint().width()
            <= child<QWidget>(&about, "brandLink")->width());

    // The copyright line: one line sized to its text at its place, inside the client area.
    QCOMPARE(ui(m_form).copyrightLink->pos(), QPoint(358, 454));
    QCOMPARE(ui(m_form).copyrightLink->size(), ui(m_form).copyrightLink->sizeHint());
    QVERIFY2(QRect(0, 0, 662, 470).contains(ui(m_form).copyrightLink->geometry()),
             qPrintable(QDebug::toString(ui(m_form).copyrightLink->geometry())));
}

void TestAboutDialog::textsAreGbk_data()
{
    QTest::addColumn<QString>("text");
    QTest::addRow("description") << productDescription.toString();
    QTest::addRow("dedication") << dedicationLine();
    QTest::addRow("brand label") << brandLabel();
    QTest::addRow("copyright line") << copyrightLine();
    QTest::addRow("maker link tool tip") << makerLinkToolTip.toString();
    QTest::addRow("logo tool tip") << lotteryLinkToolTip.toString();
}

void TestAboutDialog::textsAreGbk()
{
    // Every text of the interface exists in the Chinese code page.
    QFETCH(QString, text);
    QVERIFY(fitsGbk(text));
}

void TestAboutDialog::copyrightLineShowsItsAddress()
{
    // The line names the maker and shows the host of the address its click opens.
    const QString line = copyrightLine();
    QCOMPARE(ui(m_form).copyrightLink->text(), line);
    QVERIFY(line.startsWith(brandLatin));
    QVERIFY(line.contains(QStringLiteral(" 2008 %1 ").arg(brandChinese)));
    QVERIFY(line.endsWith(makerHomePage().host()));
}

void TestAboutDialog::handPointsWithTheFingerTip()
{
    const QCursor hand = handCursor();
    QCOMPARE(hand.shape(), Qt::BitmapCursor);
    QCOMPARE(hand.hotSpot(), QPoint(6, 0));
    const QImage bitmap = hand.bitmap().toImage().convertToFormat(QImage::Format_Mono);
    const QImage mask = hand.mask().toImage().convertToFormat(QImage::Format_Mono);
    QCOMPARE(bitmap.size(), QSize(32, 32));
    QCOMPARE(mask.size(), QSize(32, 32));
    // Black and opaque at the hot spot; nothing else in the top row but the finger tip.
    const auto black = [&bitmap](int x, int y) { return bitmap.pixelIndex(x, y) == 1; };
    const auto opaque = [&mask](int x, int y) { return mask.pixelIndex(x, y) == 1; };
    QVERIFY(black(6, 0) && opaque(6, 0));
    for (int x = 0; x < 32; ++x)
        QCOMPARE(opaque(x, 0), x == 6 || x == 7);
    // Every black pixel is part of the shape, and the hand has a white inside.
    int white = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            QVERIFY(!black(x, y) || opaque(x, y));
            white += opaque(x, y) && !black(x, y);
        }
    }
    QVERIFY(white > 100);
}

void TestAboutDialog::sameLookOnAnyDesktop_data()
{
    // What a desktop hands the application: a platform theme's palette for the whole
    // application or for single classes and a style of its own, before the program's first
    // line runs; qt6ct sets its font and may set a palette once the program runs.
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("perClass");
    QTest::addColumn<bool>("afterStart");
    QTest::addRow("dark palette, Windows style") << "Windows" << false << false;
    QTest::addRow("dark palettes for menus, lists, buttons and labels")
        << "Fusion" << true << false;
    QTest::addRow("dark palette and a font once the program runs") << "Fusion" << false << true;
}

void TestAboutDialog::sameLookOnAnyDesktop()
{
    QFETCH(QString, style);
    QFETCH(bool, perClass);
    QFETCH(bool, afterStart);
    QPalette dark(QColor(0x42, 0x42, 0x45), QColor(0x22, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
    dark.setColor(QPalette::ToolTipBase, QColor(0x3f, 0x3f, 0x36));
    dark.setColor(QPalette::ToolTipText, Qt::white);
    auto darken = [&] {
        QApplication::setPalette(dark);
        QToolTip::setPalette(dark);
        if (perClass) {
            for (const char *name : { "QMenu", "QMenuBar", "QAbstractItemView", "QAbstractButton",
                                      "QLabel", "QGroupBox" })
                QApplication::setPalette(dark, name);
        }
        if (afterStart)
            QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    };

    // Grabs of both windows, their three menus and the tool tip's colours and font, in windows
    // built after the program's look was installed.
    auto grabAll = [&](bool themed) {
        if (themed && !afterStart) {
            QApplication::setStyle(QStyleFactory::create(style));
            darken();
        }
        installProgramLook();
        if (themed && afterStart)
            darken();
        MainWindow main;
        main.show();
        AboutDialog about(&main);
        about.show();
        QList<QImage> grabs { main.grab().toImage(), about.grab().toImage() };
        for (QMenu *menu : { ui(&main).fileMenu, ui(&main).runMenu, ui(&main).helpMenu }) {
            menu->adjustSize();
            grabs << menu->grab().toImage();
        }
        QImage tip(200, 20, QImage::Format_ARGB32);
        tip.fill(QToolTip::palette().color(QPalette::ToolTipBase));
        QPainter painter(&tip);
        painter.setFont(QToolTip::font());
        painter.setPen(QToolTip::palette().color(QPalette::ToolTipText));
        painter.drawText(tip.rect(), makerLinkToolTip.toString());
        painter.end();
        return grabs << tip;
    };
    const QList<QImage> plain = grabAll(false);
    const QList<QImage> themed = grabAll(true);

    const char *what[] = { "main window", "about window", "菜单", "操作", "帮助", "tool tip" };
    QCOMPARE(themed.size(), plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i)
        QVERIFY2(themed.at(i) == plain.at(i), what[i]);
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
