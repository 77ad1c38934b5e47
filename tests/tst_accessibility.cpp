// What a screen reader and a keyboard-only user get of the two windows: a name and the right
// role for every control, the ticket readable after a run, and the keyboard's ways to start an
// analysis, into the menus and to the saved ticket. The links' press action is in tst_aboutdialog.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/mainwindow.h"
#include "history/historytext.h"
#include "history/resultfile.h"
#include "widgets/clicklabel.h"
#include "widgets/svgpicture.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

// Every interface reachable from `root`, depth first, as a screen reader would walk them.
QList<QAccessibleInterface *> walk(QAccessibleInterface *root)
{
    QList<QAccessibleInterface *> found { root };
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface *child = root->child(i))
            found += walk(child);
    return found;
}

QAccessibleInterface *inTree(QWidget *window, QObject *object)
{
    for (QAccessibleInterface *iface : walk(QAccessible::queryAccessibleInterface(window)))
        if (iface->object() == object)
            return iface;
    return nullptr;
}

} // namespace

class TestAccessibility : public WindowTest
{
    Q_OBJECT

private slots:
    void init()
    {
        WindowTest::init();
        m_mainWindow->setRandomSource(
            std::make_unique<ScriptedRandom>(QList<float> { 0.1f, 0.7f, 0.4f, 0.9f, 0.25f }));
    }

    void everyControlNamedWithItsRole();
    void menusNamedAndReachable();

    void enterStartsAnalysis_data();
    void enterStartsAnalysis();
    void menusOpenFromKeyboard_data();
    void menusOpenFromKeyboard();
    void keyboardOnlyRun();
};

void TestAccessibility::everyControlNamedWithItsRole()
{
    // The role each kind of control must have, the first kind it is of; a screen reader tells
    // them apart by it.
    const std::pair<const QMetaObject *, QAccessible::Role> roles[] = {
        { &ClickPicture::staticMetaObject, QAccessible::Link },
        { &ClickLabel::staticMetaObject, QAccessible::Link },
        { &SvgPicture::staticMetaObject, QAccessible::Graphic },
        { &QListWidget::staticMetaObject, QAccessible::List },
        { &QPushButton::staticMetaObject, QAccessible::Button },
        { &QGroupBox::staticMetaObject, QAccessible::Grouping },
        { &QLabel::staticMetaObject, QAccessible::StaticText },
    };
    const auto roleOf = [&roles](const QObject *object) -> std::optional<QAccessible::Role> {
        for (const auto &[kind, role] : roles)
            if (object && kind->cast(object))
                return role;
        return std::nullopt;
    };
    m_mainWindow->show();
    AboutDialog about(m_mainWindow);
    about.show();
    for (QWidget *window :
         { static_cast<QWidget *>(m_mainWindow), static_cast<QWidget *>(&about) }) {
        QSet<const QObject *> reached;
        for (QAccessibleInterface *iface : walk(QAccessible::queryAccessibleInterface(window))) {
            // Client areas and separators only hold others together and need no name.
            if (iface->state().invisible || iface->role() == QAccessible::Client
                || iface->role() == QAccessible::Separator)
                continue;
            const QObject *object = iface->object();
            const QString what = object ? object->objectName() : QStringLiteral("-");
            QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(QStringLiteral("role %1, object %2").arg(iface->role()).arg(what)));
            if (const auto role = roleOf(object))
                QVERIFY2(iface->role() == *role, qPrintable(what));
            reached.insert(object);
        }
        for (const QWidget *widget : window->findChildren<QWidget *>())
            if (widget->isVisible() && widget->window() == window && roleOf(widget))
                QVERIFY2(reached.contains(widget), qPrintable(widget->objectName()));
    }
}

void TestAccessibility::menusNamedAndReachable()
{
    m_mainWindow->show();
    QAccessibleInterface *bar = inTree(m_mainWindow, m_mainWindow->menuBar());
    QVERIFY(bar);
    QCOMPARE(bar->role(), QAccessible::MenuBar);
    QStringList titles;
    for (int i = 0; i < bar->childCount(); ++i)
        titles.append(bar->child(i)->text(QAccessible::Name));
    QCOMPARE(titles, (QStringList { "菜单", "操作", "帮助" }));

    // Each item is announced by its caption, the separators as separators; no item has a
    // shortcut of its own.
    const QList<QPair<QMenu *, QStringList>> menus {
        { ui(m_mainWindow).fileMenu, { "导入数据", "保存结果", "-", "退出" } },
        { ui(m_mainWindow).runMenu, { "开始分析", "停止分析" } },
        { ui(m_mainWindow).helpMenu, { "关于", "-", "访问主页" } },
    };
    for (const auto &[menu, captions] : menus) {
        QAccessibleInterface *popup = QAccessible::queryAccessibleInterface(menu);
        QCOMPARE(popup->role(), QAccessible::PopupMenu);
        QCOMPARE(popup->text(QAccessible::Name), menu->title());
        QStringList announced;
        for (int i = 0; i < popup->childCount(); ++i) {
            QAccessibleInterface *item = popup->child(i);
            const bool separator = item->role() == QAccessible::Separator;
            QVERIFY(separator || item->role() == QAccessible::MenuItem);
            announced << (separator ? QStringLiteral("-") : item->text(QAccessible::Name));
        }
        QCOMPARE(announced, captions);
        for (QAction *action : menu->actions())
            QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
    }
}

void TestAccessibility::enterStartsAnalysis_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addRow("Return in the history list") << "historyList" << int(Qt::Key_Return);
    QTest::addRow("keypad Enter in the history list") << "historyList" << int(Qt::Key_Enter);
    QTest::addRow("Return in a pool") << "poolList3" << int(Qt::Key_Return);
    QTest::addRow("Return on the button") << "startButton" << int(Qt::Key_Return);
}

void TestAccessibility::enterStartsAnalysis()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QVERIFY(showActive(m_mainWindow));
    auto *widget = m_mainWindow->findChild<QWidget *>(focus);
    widget->setFocus();
    QCOMPARE(QApplication::focusWidget(), widget);
    QTest::keyClick(widget, Qt::Key(key));
    VERIFY_RUN_STATE(m_mainWindow, true);
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
    QVERIFY(showActive(m_mainWindow));
    ui(m_mainWindow).historyList->setFocus();
    for (int key : keys) {
        // Keys go where the keyboard is: an open menu while there is one.
        QWidget *target = QApplication::activePopupWidget();
        QTest::keyClick(target ? target : QApplication::focusWidget(), Qt::Key(key));
        if (key == Qt::Key_Right)
            QTRY_COMPARE(m_mainWindow->menuBar()->activeAction(),
                         ui(m_mainWindow).runMenu->menuAction());
    }
    QVERIFY(isRunning(m_mainWindow));
    QVERIFY(!QApplication::activePopupWidget());
}

void TestAccessibility::keyboardOnlyRun()
{
    // Enter starts the run; its ticks come as the timers would give them.
    QVERIFY(showActive(m_mainWindow));
    ui(m_mainWindow).historyList->setFocus();
    QTest::keyClick(ui(m_mainWindow).historyList, Qt::Key_Return);
    QVERIFY(isRunning(m_mainWindow));
    tick(m_mainWindow, 10);
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    VERIFY_BALL_ROW(m_mainWindow, 7);

    // The ticket as a screen reader meets it, the texts inside the result frame, and as saved.
    QStringList announced;
    QString ticket;
    for (int p = 0; p < 7; ++p) {
        const QString number = QString("%1").arg(drawnNumber(m_mainWindow, p), 2, 10, QChar('0'));
        announced << (p < 6 ? QStringLiteral("红球 %1：%2").arg(p + 1).arg(number)
                            : QStringLiteral("蓝球：%1").arg(number));
        ticket += number + (p < 5 ? "," : p == 5 ? " " : "");
    }
    QAccessibleInterface *frame = inTree(m_mainWindow, ui(m_mainWindow).resultFrame);
    QVERIFY(frame);
    static const QRegularExpression ball(QStringLiteral("^(红球 ([1-6])|蓝球)：(\\d\\d)$"));
    QStringList read;
    for (QAccessibleInterface *iface : walk(frame)) {
        if (iface->role() == QAccessible::StaticText && !iface->state().invisible
            && ball.match(iface->text(QAccessible::Name)).hasMatch())
            read.append(iface->text(QAccessible::Name));
    }
    QCOMPARE(read, announced);

    // The way to 保存结果 by keyboard: Alt, Down opens 菜单, Down again reaches the item.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Alt);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTRY_VERIFY(ui(m_mainWindow).fileMenu->isVisible());
    QCOMPARE(ui(m_mainWindow).fileMenu->activeAction(), ui(m_mainWindow).importAction);
    QTest::keyClick(ui(m_mainWindow).fileMenu, Qt::Key_Down);
    QCOMPARE(ui(m_mainWindow).fileMenu->activeAction(), ui(m_mainWindow).saveAction);
    QVERIFY(ui(m_mainWindow).saveAction->isEnabled());

    // Enter saves; the save dialog answers through its seam, as the user would by typing a
    // name and pressing Enter there.
    m_seams->answer = m_dir->filePath(QStringLiteral("ticket"));
    QTest::keyClick(ui(m_mainWindow).fileMenu, Qt::Key_Return);
    const QString heading
        = decodeGbk(contents(m_dir->filePath("ticket.txt"))).section("\r\n", 0, 0);
    QCOMPARE(heading, resultHeading() + ticket);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
