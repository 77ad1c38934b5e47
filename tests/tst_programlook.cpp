// The program's look is its own whatever the desktop hands it: a palette, a style, a font.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/mainwindow.h"
#include "app/texts.h"
#include "widgets/appstyle.h"

#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
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
    void scrollBarAsSeen_data();
    void scrollBarAsSeen();
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

void TestProgramLook::scrollBarAsSeen_data()
{
    QTest::addColumn<QString>("scale");
    QTest::addColumn<bool>("oneRowOver"); // the list one row longer than a page, or the shipped
    for (const char *scale : { "1", "1.25", "2" }) {
        QTest::addRow("shipped list, scale %s", scale) << QString::fromLatin1(scale) << false;
        QTest::addRow("one row over a page, scale %s", scale) << QString::fromLatin1(scale) << true;
    }
}

void TestProgramLook::scrollBarAsSeen()
{
    // The history list's scroll bar as the user sees it: an arrow pointing up on the top button
    // and down on the bottom one, and a slider whose length is the page's share of the list.
    QFETCH(QString, scale);
    QFETCH(bool, oneRowOver);
    if (qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")) != scale) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
        const QString failure = rowInFreshProcess(environment);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }
    installProgramLook();
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QListWidget *list = ui(&window).historyList;
    QScrollBar *bar = list->verticalScrollBar();
    if (oneRowOver) {
        while (list->count() > bar->pageStep() + 1)
            delete list->takeItem(list->count() - 1);
        QTRY_COMPARE(bar->maximum(), 1);
    }
    const QImage drawn = bar->grab().toImage();
    const qreal dpr = drawn.devicePixelRatio();
    const int button = qRound(bar->width() * dpr); // square buttons at each end
    const int groove = drawn.height() - 2 * button;

    // The arrows' ink, row by row: the tip is the narrowest row.
    const auto arrowRows = [&drawn](int from, int to) {
        QList<int> widths;
        for (int y = from; y < to; ++y) {
            int ink = 0;
            for (int x = 0; x < drawn.width(); ++x)
                ink += qGray(drawn.pixel(x, y)) < 160;
            if (ink > 0)
                widths << ink;
        }
        return widths;
    };
    const QList<int> up = arrowRows(0, button);
    const QList<int> down = arrowRows(drawn.height() - button, drawn.height());
    QVERIFY2(up.size() > 1 && up.first() < up.last(), qPrintable(QDebug::toString(up)));
    QVERIFY2(down.size() > 1 && down.first() > down.last(), qPrintable(QDebug::toString(down)));

    // The slider, down the middle of the groove: from its top, the page's share of it long.
    const int x = drawn.width() / 2;
    const QRgb grooveColour = drawn.pixel(x, button + groove - 1);
    int first = -1, last = -1;
    for (int y = button; y < button + groove; ++y) {
        if (drawn.pixel(x, y) == grooveColour)
            continue;
        if (first < 0)
            first = y;
        last = y;
    }
    const int length = last - first + 1;
    const qreal share = qreal(bar->pageStep()) / (bar->maximum() + bar->pageStep());
    const int expected
        = std::max(qRound(share * groove),
                   qRound(bar->style()->pixelMetric(QStyle::PM_ScrollBarSliderMin) * dpr));
    QVERIFY2(
        std::abs(first - button) <= 1 && std::abs(length - expected) <= 2 + 2 * dpr,
        qPrintable(QStringLiteral("slider over rows %1 to %2 of the groove's %3 to %4, %5 long "
                                  "expected")
                       .arg(first)
                       .arg(last)
                       .arg(button)
                       .arg(button + groove - 1)
                       .arg(expected)));
}

QTEST_MAIN(TestProgramLook)
#include "tst_programlook.moc"
