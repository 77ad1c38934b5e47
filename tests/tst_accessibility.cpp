// What a screen reader and a keyboard-only user get of the two windows: a name and the right
// role for every control, the ticket readable after a run, links that can be pressed, and the
// keyboard's ways to start an analysis and into the menus.

#include "app/form1.h"
#include "app/form2.h"
#include "app/links.h"
#include "app/taggedtimer.h"
#include "history/filedialogs.h"
#include "history/historytext.h"
#include "scriptedrandom.h"

#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace orbelune;

namespace {

// Every interface reachable from `root`, depth first, as a screen reader would walk them.
QList<QAccessibleInterface *> walk(QAccessibleInterface *root)
{
    QList<QAccessibleInterface *> found { root };
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface *child = root->child(i))
            found += walk(child);
    }
    return found;
}

QAccessibleInterface *inTree(QWidget *window, QObject *object)
{
    for (QAccessibleInterface *iface : walk(QAccessible::queryAccessibleInterface(window))) {
        if (iface->object() == object)
            return iface;
    }
    return nullptr;
}

// Interfaces that only hold others together and need no name of their own.
bool isStructural(const QAccessibleInterface *iface)
{
    return iface->role() == QAccessible::Client || iface->role() == QAccessible::Separator;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlHasNameAndRole_data();
    void controlHasNameAndRole();
    void aboutControlHasNameAndRole_data();
    void aboutControlHasNameAndRole();
    void everyVisibleInterfaceNamed();
    void menusNamedAndReachable();

    void ticketReadableAfterRun();
    void linkCanBePressed_data();
    void linkCanBePressed();

    void enterStartsAnalysis_data();
    void enterStartsAnalysis();
    void menusOpenFromKeyboard_data();
    void menusOpenFromKeyboard();
    void keyboardOnlyRun();

private:
    void showActive();
    void runToEnd();

    Form1 *m_form = nullptr;
    QList<QUrl> m_opened;
};

void TestAccessibility::init()
{
    m_form = new Form1;
    m_form->setRandomSource(
        std::make_unique<ScriptedRandom>(QList<float> { 0.1f, 0.7f, 0.4f, 0.9f, 0.25f }));
    m_opened.clear();
    setUrlOpener([this](const QUrl &url) {
        m_opened.append(url);
        return true;
    });
}

void TestAccessibility::cleanup()
{
    delete m_form;
    m_form = nullptr;
    setUrlOpener({});
}

void TestAccessibility::showActive()
{
    m_form->show();
    QApplication::setActiveWindow(m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestAccessibility::runToEnd()
{
    m_form->Command1_Click();
    for (int stage = 0; stage < 10; ++stage)
        m_form->TimSa_Timer();
    QVERIFY(!m_form->isRunActive());
}

void TestAccessibility::controlHasNameAndRole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addRow("history list") << "List1" << QAccessible::List;
    for (int p = 0; p < 7; ++p) {
        QTest::addRow("pool %d", p) << QStringLiteral("ListNumB%1").arg(p) << QAccessible::List;
        QTest::addRow("ball %d", p) << QStringLiteral("ImaRed%1").arg(p) << QAccessible::Graphic;
        QTest::addRow("caption %d", p)
            << QStringLiteral("CapNum%1").arg(p) << QAccessible::StaticText;
    }
    QTest::addRow("start button") << "Command1" << QAccessible::Button;
    QTest::addRow("greeting") << "Label1" << QAccessible::StaticText;
    QTest::addRow("copyright line") << "Label2" << QAccessible::Link;
    QTest::addRow("lined paper") << "Image1" << QAccessible::Graphic;
    QTest::addRow("magnifier") << "Image2" << QAccessible::Graphic;
    for (int i = 1; i <= 4; ++i) {
        QTest::addRow("frame %d", i) << QStringLiteral("Frame%1").arg(i) << QAccessible::Grouping;
        QTest::addRow("corner icon %d", i)
            << QStringLiteral("Picture%1").arg(i) << QAccessible::Graphic;
    }
}

void TestAccessibility::controlHasNameAndRole()
{
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);
    m_form->show();
    auto *widget = m_form->findChild<QWidget *>(name);
    QVERIFY(widget);
    QVERIFY(widget->isVisible());
    QAccessibleInterface *iface = inTree(m_form, widget);
    QVERIFY2(iface, "not reachable from the window");
    QCOMPARE(iface->role(), role);
    QVERIFY(!iface->text(QAccessible::Name).trimmed().isEmpty());
    QVERIFY(!iface->state().invisible);
}

void TestAccessibility::aboutControlHasNameAndRole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addRow("logo") << "Picture1" << QAccessible::Link;
    QTest::addRow("application icon") << "Image2" << QAccessible::Graphic;
    QTest::addRow("computer") << "Image1" << QAccessible::Graphic;
    QTest::addRow("description") << "Label1" << QAccessible::StaticText;
    QTest::addRow("dedication") << "Label2" << QAccessible::StaticText;
    QTest::addRow("button") << "Command1" << QAccessible::Button;
    QTest::addRow("brand label") << "Label3" << QAccessible::Link;
}

void TestAccessibility::aboutControlHasNameAndRole()
{
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);
    Form2 about(m_form);
    about.show();
    QCOMPARE(QAccessible::queryAccessibleInterface(&about)->role(), QAccessible::Dialog);
    auto *widget = about.findChild<QWidget *>(name);
    QVERIFY(widget);
    QAccessibleInterface *iface = inTree(&about, widget);
    QVERIFY2(iface, "not reachable from the window");
    QCOMPARE(iface->role(), role);
    QVERIFY(!iface->text(QAccessible::Name).trimmed().isEmpty());
}

void TestAccessibility::everyVisibleInterfaceNamed()
{
    m_form->show();
    Form2 about(m_form);
    about.show();
    for (QWidget *window : { static_cast<QWidget *>(m_form), static_cast<QWidget *>(&about) }) {
        for (QAccessibleInterface *iface : walk(QAccessible::queryAccessibleInterface(window))) {
            if (iface->state().invisible || isStructural(iface))
                continue;
            const QObject *object = iface->object();
            QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(QStringLiteral("role %1, object %2")
                                    .arg(iface->role())
                                    .arg(object ? object->objectName() : QStringLiteral("-"))));
        }
    }
}

void TestAccessibility::menusNamedAndReachable()
{
    m_form->show();
    QAccessibleInterface *bar = inTree(m_form, m_form->menuBar());
    QVERIFY(bar);
    QCOMPARE(bar->role(), QAccessible::MenuBar);
    QStringList titles;
    for (int i = 0; i < bar->childCount(); ++i)
        titles.append(bar->child(i)->text(QAccessible::Name));
    QCOMPARE(titles, (QStringList { "菜单", "操作", "帮助" }));

    // Each item is announced by its caption; the separators are separators.
    for (QMenu *menu : { m_form->Fifle, m_form->caozou, m_form->help }) {
        QAccessibleInterface *popup = QAccessible::queryAccessibleInterface(menu);
        QCOMPARE(popup->role(), QAccessible::PopupMenu);
        QCOMPARE(popup->text(QAccessible::Name), menu->title());
        QCOMPARE(popup->childCount(), menu->actions().size());
        for (int i = 0; i < popup->childCount(); ++i) {
            QAction *action = menu->actions().at(i);
            QAccessibleInterface *item = popup->child(i);
            if (action->isSeparator()) {
                QCOMPARE(item->role(), QAccessible::Separator);
            } else {
                QCOMPARE(item->role(), QAccessible::MenuItem);
                QCOMPARE(item->text(QAccessible::Name), action->text());
            }
        }
    }
}

void TestAccessibility::ticketReadableAfterRun()
{
    m_form->show();
    runToEnd();

    // Read the ball row the way a screen reader meets it: the texts inside the result frame.
    QAccessibleInterface *frame = inTree(m_form, m_form->Frame2);
    QVERIFY(frame);
    static const QRegularExpression ball(QStringLiteral("^(红球 ([1-6])|蓝球)：(\\d\\d)$"));
    QStringList read;
    for (QAccessibleInterface *iface : walk(frame)) {
        if (iface->role() == QAccessible::StaticText && !iface->state().invisible
            && ball.match(iface->text(QAccessible::Name)).hasMatch())
            read.append(iface->text(QAccessible::Name));
    }

    QStringList ticket;
    for (int p = 0; p < 7; ++p) {
        const QString number
            = QStringLiteral("%1").arg(m_form->chosenNumber(p), 2, 10, QLatin1Char('0'));
        ticket.append(p < 6 ? QStringLiteral("红球 %1：%2").arg(p + 1).arg(number)
                            : QStringLiteral("蓝球：%1").arg(number));
    }
    QCOMPARE(read, ticket);
}

void TestAccessibility::linkCanBePressed_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addRow("copyright line") << "Form1"
                                    << "Label2" << QString::fromLatin1(makerHomePage);
    QTest::addRow("brand label") << "Form2"
                                 << "Label3" << QString::fromLatin1(makerHomePage);
    QTest::addRow("logo") << "Form2"
                          << "Picture1" << QString::fromLatin1(lotteryWebsite);
}

void TestAccessibility::linkCanBePressed()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, address);
    Form2 about(m_form);
    QWidget *holder = window == QLatin1String("Form1") ? static_cast<QWidget *>(m_form) : &about;
    auto *link = holder->findChild<QWidget *>(name);
    QVERIFY(link);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(link);
    QVERIFY(iface->state().linked);
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_opened, QList<QUrl> { QUrl(address) });
}

void TestAccessibility::enterStartsAnalysis_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addRow("Return in the history list") << "List1" << int(Qt::Key_Return);
    QTest::addRow("keypad Enter in the history list") << "List1" << int(Qt::Key_Enter);
    QTest::addRow("Return in a pool") << "ListNumB3" << int(Qt::Key_Return);
    QTest::addRow("Return on the button") << "Command1" << int(Qt::Key_Return);
}

void TestAccessibility::enterStartsAnalysis()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    showActive();
    auto *widget = m_form->findChild<QWidget *>(focus);
    widget->setFocus();
    QCOMPARE(QApplication::focusWidget(), widget);
    QTest::keyClick(widget, Qt::Key(key));
    QVERIFY(m_form->isRunActive());
    QVERIFY(m_form->TimSa->isActive());
}

void TestAccessibility::menusOpenFromKeyboard_data()
{
    QTest::addColumn<QList<int>>("keys");
    // Both ways end on 操作 → 开始分析, which starts a run.
    QTest::addRow("Alt, then arrows")
        << QList<int> { Qt::Key_Alt, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return };
    QTest::addRow("F10, then arrows") << QList<int> { Qt::Key_F10, Qt::Key_Right, Qt::Key_Return };
}

void TestAccessibility::menusOpenFromKeyboard()
{
    QFETCH(QList<int>, keys);
    showActive();
    m_form->List1->setFocus();
    for (int key : keys) {
        // Keys go where the keyboard is: an open menu while there is one.
        QWidget *target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget();
        QTest::keyClick(target, Qt::Key(key));
        if (key == Qt::Key_Right)
            QTRY_COMPARE(m_form->menuBar()->activeAction(), m_form->caozou->menuAction());
    }
    QVERIFY(m_form->isRunActive());
    QVERIFY(!QApplication::activePopupWidget());
}

void TestAccessibility::keyboardOnlyRun()
{
    // The real timers, only faster: the keyboard user starts and waits like anyone else.
    m_form->TimSa->setInterval(20);
    showActive();
    m_form->List1->setFocus();
    QTest::keyClick(m_form->List1, Qt::Key_Return);
    QVERIFY(m_form->isRunActive());
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->isRunActive(), 10000);
    for (int p = 0; p < 7; ++p)
        QVERIFY(m_form->CapNum[std::size_t(p)]->isVisible());

    // The way to 保存结果 by keyboard: Alt, Down opens 菜单, Down again reaches the item.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Alt);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTRY_VERIFY(m_form->Fifle->isVisible());
    QCOMPARE(m_form->Fifle->activeAction(), m_form->data);
    QTest::keyClick(m_form->Fifle, Qt::Key_Down);
    QCOMPARE(m_form->Fifle->activeAction(), m_form->savejg);
    QVERIFY(m_form->savejg->isEnabled());

    // Enter saves; the save dialog answers through its seam, as the user would by typing a
    // name and pressing Enter there.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    setFileDialogHandler(
        [&folder](const FileDialogRequest &) { return folder.filePath(QStringLiteral("ticket")); });
    QTest::keyClick(m_form->Fifle, Qt::Key_Return);
    setFileDialogHandler({});
    QFile saved(folder.filePath(QStringLiteral("ticket.txt")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QString ticket;
    for (int p = 0; p < 7; ++p)
        ticket += m_form->CapNum[std::size_t(p)]->text() + (p < 5 ? "," : p == 5 ? " " : "");
    const QByteArray heading = saved.readLine();
    QVERIFY2(decodeGbk(heading).endsWith(ticket + QStringLiteral("\r\n")),
             qPrintable(decodeGbk(heading)));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
