// The about window and the four web links.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/links.h"
#include "app/mainwindow.h"
#include "app/texts.h"
#include "widgets/appstyle.h"
#include "widgets/handcursor.h"

#include <QAccessible>
#include <QBitmap>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

enum class Link { CopyrightLine, VisitHomePage, BrandLabel, Logo };

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
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    AboutDialog about(m_mainWindow);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    if (link == Link::VisitHomePage) {
        ui(m_mainWindow).homePageAction->trigger();
        QCOMPARE(m_seams->opened, QList<QUrl> { QUrl(address) });
        return;
    }
    QWidget *widget = link == Link::CopyrightLine
        ? static_cast<QWidget *>(ui(m_mainWindow).copyrightLink)
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
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    const int windows = QApplication::topLevelWidgets().size();
    QTest::mouseClick(ui(m_mainWindow).copyrightLink, Qt::LeftButton);
    ui(m_mainWindow).homePageAction->trigger();
    QCOMPARE(m_seams->opened.size(), 2);
    QVERIFY(m_seams->messages.isEmpty());
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QVERIFY(!isRunning(m_mainWindow));
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
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
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
    whenModalOpens<AboutDialog>([&](AboutDialog *about) {
        first = about;
        child<QLabel>(about, "descriptionLabel")->setText(QStringLiteral("spoilt"));
        close(about);
    });
    ui(m_mainWindow).aboutAction->trigger();
    QVERIFY(first.isNull()); // destroyed on close, by the time about_Click returns

    QPointer<AboutDialog> second;
    bool modal = false;
    QWidget *owner = nullptr;
    QString caption;
    QSize size;
    QString description;
    whenModalOpens<AboutDialog>([&](AboutDialog *about) {
        second = about;
        modal = about->isModal() && about->isVisible();
        owner = about->parentWidget();
        caption = about->windowTitle();
        size = about->size();
        description = child<QLabel>(about, "descriptionLabel")->text();
        close(about);
    });
    ui(m_mainWindow).aboutAction->trigger();
    QVERIFY(second.isNull());
    QVERIFY(modal);
    QCOMPARE(owner, m_mainWindow);
    QCOMPARE(caption, QStringLiteral("关于 Orbelune"));
    QCOMPARE(size, QSize(353, 252));
    QCOMPARE(description, productDescription.toString());
    QVERIFY(m_mainWindow->findChildren<AboutDialog *>().isEmpty());
}

void TestAboutDialog::runGoesOnBehindAbout()
{
    // The real timers run, only faster: what counts is that they tick inside the about
    // window's modal loop.
    ui(m_mainWindow).stageTimer->setInterval(20);
    m_mainWindow->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.5f }));
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    ui(m_mainWindow).startButton->click();
    QVERIFY(isRunning(m_mainWindow));

    bool openDuringRun = false;
    bool endedWhileOpen = false;
    whenModalOpens<AboutDialog>([this, &openDuringRun, &endedWhileOpen](AboutDialog *about) {
        openDuringRun = isRunning(m_mainWindow);
        // Keep the window open until the run behind it has ended.
        auto *wait = new QTimer(about);
        connect(wait, &QTimer::timeout, about, [this, about, &endedWhileOpen] {
            if (isRunning(m_mainWindow))
                return;
            endedWhileOpen = true;
            child<QPushButton>(about, "okButton")->click();
        });
        wait->start(10);
    });
    ui(m_mainWindow).aboutAction->trigger();

    QVERIFY(openDuringRun);
    QVERIFY(endedWhileOpen);
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    VERIFY_BALL_ROW(m_mainWindow, 7);
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
