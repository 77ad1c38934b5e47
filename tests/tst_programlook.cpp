// The program's look is its own whatever the desktop hands it: a palette, a style, a font.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/mainwindow.h"
#include "app/texts.h"
#include "widgets/appstyle.h"

#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QToolTip>

using namespace orbelune;
using namespace orbelune::testing;

class TestProgramLook : public QObject
{
    Q_OBJECT

private slots:
    void sameLookOnAnyDesktop_data();
    void sameLookOnAnyDesktop();
    void scrollBarPartsTile_data();
    void scrollBarPartsTile();
};

void TestProgramLook::sameLookOnAnyDesktop_data()
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

void TestProgramLook::sameLookOnAnyDesktop()
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

void TestProgramLook::scrollBarPartsTile_data()
{
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("pageStep");
    QTest::addColumn<int>("position");
    for (int position : { 0, 430, 860 })
        QTest::addRow("history list at %d", position)
            << Qt::Vertical << Qt::LeftToRight << 230 << 860 << 17 << position;
    QTest::addRow("nothing to scroll") << Qt::Vertical << Qt::LeftToRight << 230 << 0 << 17 << 0;
    QTest::addRow("huge range, at its end")
        << Qt::Vertical << Qt::LeftToRight << 230 << INT_MAX << 1 << INT_MAX;
    QTest::addRow("shorter than its buttons")
        << Qt::Vertical << Qt::LeftToRight << 20 << 10 << 1 << 5;
    QTest::addRow("horizontal") << Qt::Horizontal << Qt::LeftToRight << 300 << 100 << 10 << 40;
    QTest::addRow("horizontal, right to left")
        << Qt::Horizontal << Qt::RightToLeft << 300 << 100 << 10 << 40;
}

void TestProgramLook::scrollBarPartsTile()
{
    // The parts a click is told apart by are the parts drawn: buttons, pages and the slider
    // follow one another without a gap or an overlap, the slider moves from one button to the
    // other, and Qt finds each part where it is drawn.
    QFETCH(Qt::Orientation, orientation);
    QFETCH(Qt::LayoutDirection, direction);
    QFETCH(int, length);
    QFETCH(int, maximum);
    QFETCH(int, pageStep);
    QFETCH(int, position);
    installProgramLook();
    const bool horizontal = orientation == Qt::Horizontal;
    QStyleOptionSlider option;
    option.rect = horizontal ? QRect(0, 0, length, 14) : QRect(0, 0, 14, length);
    option.orientation = orientation;
    option.direction = direction;
    option.state
        = QStyle::State_Enabled | (horizontal ? QStyle::State_Horizontal : QStyle::State_None);
    option.maximum = maximum;
    option.pageStep = pageStep;
    option.sliderPosition = option.sliderValue = position;
    option.subControls = QStyle::SC_All;
    QStyle *style = QApplication::style();
    using SC = QStyle::SubControl;
    const auto part = [&](SC which) {
        return style->subControlRect(QStyle::CC_ScrollBar, &option, which, nullptr);
    };

    QList<SC> order { QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarSubPage,
                      QStyle::SC_ScrollBarSlider, QStyle::SC_ScrollBarAddPage,
                      QStyle::SC_ScrollBarAddLine };
    if (direction == Qt::RightToLeft && horizontal)
        std::reverse(order.begin(), order.end());
    int next = 0;
    for (SC which : order) {
        const QRect rect = part(which);
        if (rect.isEmpty())
            continue;
        QCOMPARE(horizontal ? rect.left() : rect.top(), next);
        QCOMPARE(horizontal ? rect.height() : rect.width(), 14);
        next = (horizontal ? rect.right() : rect.bottom()) + 1;
        QCOMPARE(
            style->hitTestComplexControl(QStyle::CC_ScrollBar, &option, rect.center(), nullptr),
            which);
    }
    QCOMPARE(next, length);

    const int groove = std::max(0, length - 28);
    const QRect slider = part(QStyle::SC_ScrollBarSlider);
    QVERIFY((horizontal ? slider.width() : slider.height()) >= std::min(26, groove));
    if (position == maximum && maximum > 0)
        QVERIFY(part(QStyle::SC_ScrollBarAddPage).isEmpty());
    if (position == 0)
        QVERIFY(part(QStyle::SC_ScrollBarSubPage).isEmpty());
}

QTEST_MAIN(TestProgramLook)
#include "tst_programlook.moc"
