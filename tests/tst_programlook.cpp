// The program's look: the keyboard's focus shown, the pictures and the icon drawn as their
// sources, any CJK face fitting, the same look whatever the desktop hands it (a palette, a
// style, a font), and whole device pixels at any scale of the screen.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/mainwindow.h"
#include "app/texts.h"
#include "widgets/appstyle.h"
#include "widgets/paragraphlabel.h"
#include "widgets/svgpicture.h"

#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QSvgRenderer>
#include <QToolTip>

#include <cmath>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

// A border pixel: any of the frames' greys or the default button's blue, against the white
// and near-white around and inside them.
bool isLine(QRgb pixel)
{
    return qGray(pixel) < 215;
}

// Looks across one edge at points spread over its middle and reports what is wrong there: the
// edge's outermost device pixels (`width` of them) must be line, the next one in must not, so
// that a missing, a doubled and a blurred line all show. `inwards` points into the widget,
// `along` along the edge from `start`, the edge's first pixel.
QStringList checkEdge(const QImage &image, const QString &what, QPoint start, QPoint inwards,
                      QPoint along, int length, int width)
{
    for (int i = 1; i < 10; ++i) {
        const QPoint at = start + along * (length * (2 + i) / 14);
        for (int w = 0; w < width; ++w) {
            if (!isLine(image.pixel(at + inwards * w)))
                return {
                    QStringLiteral("%1: no line at (%2, %3)").arg(what).arg(at.x()).arg(at.y())
                };
        }
        if (isLine(image.pixel(at + inwards * width)))
            return { QStringLiteral("%1: more than %2 pixels wide at (%3, %4)")
                         .arg(what)
                         .arg(width)
                         .arg(at.x())
                         .arg(at.y()) };
    }
    return {};
}

// Every border of the window's list boxes, group boxes and buttons, on its grab in device
// pixels: each edge one line on the widget's outermost device pixels, as wide as the scale's
// whole part (one pixel at 1.25, two at 2). A group box's top line runs at the height of its
// caption: it is found as the first line below the box's top, right of the caption.
QStringList borderFaults(QWidget *window)
{
    const QImage image = window->grab().toImage();
    const qreal scale = window->devicePixelRatioF();
    const int line = std::max(1, int(std::floor(scale + 1e-6)));
    QStringList faults;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->window() != window)
            continue; // the about window, a child of the main one
        const bool group = qobject_cast<QGroupBox *>(widget);
        if (!group && !qobject_cast<QListWidget *>(widget) && !qobject_cast<QPushButton *>(widget))
            continue;
        // The device pixels Qt gives the widget: its edges rounded one by one.
        const QRectF exact(QPointF(widget->mapTo(window, QPoint(0, 0))) * scale,
                           QSizeF(widget->size()) * scale);
        const int left = qRound(exact.left()), right = qRound(exact.right()) - 1;
        int top = qRound(exact.top());
        const int bottom = qRound(exact.bottom()) - 1;
        const QString name = widget->objectName();
        if (group) {
            const int x = (left + 3 * right) / 4;
            const int below = top + int(20 * scale);
            while (top < below && !isLine(image.pixel(x, top)))
                ++top;
        }
        const int width = right - left + 1, height = bottom - top + 1;
        faults << checkEdge(image, name + " left", { left, top }, { 1, 0 }, { 0, 1 }, height, line)
               << checkEdge(image, name + " right", { right, top }, { -1, 0 }, { 0, 1 }, height,
                            line)
               << checkEdge(image, name + " bottom", { left, bottom }, { 0, -1 }, { 1, 0 }, width,
                            line)
               << checkEdge(image, name + " top", { group ? left + width / 2 : left, top },
                            { 0, 1 }, { 1, 0 }, group ? width / 2 : width, line);
    }
    return faults;
}

// The scroll bar as the user sees it, on its grab in device pixels: an arrow pointing up on
// the top button and down on the bottom one, and a slider from the groove's top (the list is
// at its start) whose length is the page's share of the groove, or the shortest a slider gets.
QStringList scrollBarFaults(QScrollBar *bar, const QString &what)
{
    const QImage drawn = bar->grab().toImage();
    const qreal scale = drawn.devicePixelRatio();
    const int button = qRound(bar->width() * scale); // square buttons at each end
    const int groove = drawn.height() - 2 * button;
    QStringList faults;

    // The arrows' ink, darker than the faces and the outlines, row by row: the tip is the
    // narrowest row.
    for (const bool top : { true, false }) {
        QList<int> widths;
        for (int y = top ? 0 : button + groove; y < (top ? button : drawn.height()); ++y) {
            int ink = 0;
            for (int x = 0; x < drawn.width(); ++x)
                ink += qGray(drawn.pixel(x, y)) < 160;
            if (ink > 0)
                widths << ink;
        }
        if (widths.size() < 2 || (widths.first() < widths.last()) != top)
            faults << QStringLiteral("%1: the %2 arrow's rows are %3 pixels wide")
                          .arg(what, top ? "top" : "bottom", QDebug::toString(widths));
    }

    // The slider, down the middle of the groove: whatever is not the colour of the groove's
    // last row, which a slider at the list's start reaches only when it fills the groove.
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
    const qreal share = qreal(bar->pageStep()) / (bar->maximum() + bar->pageStep());
    const int shortest = bar->style()->pixelMetric(QStyle::PM_ScrollBarSliderMin);
    const int expected = std::max(qRound(share * groove), qRound(shortest * scale));
    if (std::abs(first - button) > 1 || std::abs(last - first + 1 - expected) > 2 + 2 * scale)
        faults << QStringLiteral("%1: slider over rows %2 to %3 of the groove's %4 to %5, %6 long "
                                 "expected")
                      .arg(what)
                      .arg(first)
                      .arg(last)
                      .arg(button)
                      .arg(button + groove - 1)
                      .arg(expected);
    return faults;
}

} // namespace

class TestProgramLook : public QObject
{
    Q_OBJECT

private slots:
    // What the program does before it builds a window.
    void initTestCase() { installProgramLook(); }

    void focusShown_data();
    void focusShown();
    void picturesDrawAsTheirSource_data();
    void picturesDrawAsTheirSource();
    void iconDrawnAsQtDrawsIt_data();
    void iconDrawnAsQtDrawsIt();
    void otherCjkFace_data();
    void otherCjkFace();
    void sameLookOnAnyDesktop_data();
    void sameLookOnAnyDesktop();
    void scrollBarPartsTile_data();
    void scrollBarPartsTile();
    void drawnOnDeviceGrid_data();
    void drawnOnDeviceGrid();
};

void TestProgramLook::focusShown_data()
{
    QTest::addColumn<int>("stop"); // Tabs from the history list
    QTest::addColumn<qreal>("scale");
    for (qreal scale : { 1.0, 1.25, 2.0 }) {
        QTest::addRow("history list, scale %g", scale) << 0 << scale;
        for (int p = 0; p < 7; ++p)
            QTest::addRow("empty pool %d, scale %g", p, scale) << p + 1 << scale;
        QTest::addRow("start button, scale %g", scale) << 8 << scale;
    }
}

void TestProgramLook::focusShown()
{
    // Every stop of the Tab key, in order, shows that the keyboard is there: the start button's
    // own face and the pools before a run used to look the same with it and without. Past the
    // button the history list again: no key does anything on a picture.
    QFETCH(int, stop);
    QFETCH(qreal, scale);
    MainWindow window;
    QList<QWidget *> order { ui(&window).historyList };
    for (QListWidget *pool : ui(&window).poolLists)
        order.append(pool);
    order << ui(&window).startButton << ui(&window).historyList;
    ui(&window).analysisBadge->show();
    QVERIFY(showActive(&window));
    ui(&window).historyList->setFocus();
    for (int i = 0; i < stop; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget *widget = QApplication::focusWidget();
    QCOMPARE(widget, order.at(stop));
    auto drawn = [widget, scale] {
        QImage image((QSizeF(widget->size()) * scale).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        widget->render(&image);
        return image;
    };
    const QImage focused = drawn();
    QTest::keyClick(widget, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), order.at(stop + 1));
    QVERIFY(drawn() != focused);
}

void TestProgramLook::picturesDrawAsTheirSource_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<qreal>("scale");
    for (qreal scale : { 1.0, 1.25, 1.5, 2.0 })
        QTest::addRow("red ball, scale %g", scale) << QStringLiteral(":/ball-red.svg") << scale;
    QTest::addRow("lined paper, scale 1") << QStringLiteral(":/lined-paper.svg") << 1.0;
}

void TestProgramLook::picturesDrawAsTheirSource()
{
    // The same picture twice on white, where at scale 1 the drawing made at build time may be
    // laid, and once on yellow, where it does not belong. Each must come out as its source
    // drawn in its place, to the last bit.
    QFETCH(QString, resource);
    QFETCH(qreal, scale);
    QWidget host;
    makeWhite(&host);
    auto *yellow = new QWidget(&host);
    setPaletteColor(yellow, QPalette::Window, Qt::yellow);
    yellow->setAutoFillBackground(true);
    const QList<SvgPicture *> pictures { new SvgPicture(resource, &host),
                                         new SvgPicture(resource, &host),
                                         new SvgPicture(resource, yellow) };
    const QSize size = pictures[0]->size();
    pictures[0]->move(3, 5);
    pictures[1]->move(size.width() + 8, 5);
    yellow->setGeometry(2 * size.width() + 13, 0, size.width() + 10, size.height() + 10);
    pictures[2]->move(5, 5);
    host.resize(3 * size.width() + 23, size.height() + 10);

    auto draw = [&](bool withPictures) {
        QImage image((QSizeF(host.size()) * scale).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::black);
        for (SvgPicture *picture : pictures)
            picture->setVisible(withPictures);
        host.render(&image);
        return image;
    };
    const QImage drawn = draw(true);
    QImage expected = draw(false);
    QSvgRenderer source(resource);
    QPainter painter(&expected);
    painter.setRenderHint(QPainter::Antialiasing);
    for (SvgPicture *picture : pictures) {
        painter.resetTransform();
        painter.translate(picture->mapTo(&host, QPoint(0, 0)));
        source.render(&painter, QRectF(picture->rect()));
    }
    painter.end();
    for (SvgPicture *picture : pictures) {
        // Not the outermost pixels: how far the widget's clip reaches into them is Qt's.
        const QRectF place(QPointF(picture->mapTo(&host, QPoint(0, 0))) * scale,
                           QSizeF(picture->size()) * scale);
        const QRect inside = place.toAlignedRect().adjusted(1, 1, -1, -1);
        QCOMPARE(drawn.copy(inside), expected.copy(inside));
    }
}

void TestProgramLook::iconDrawnAsQtDrawsIt_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QIcon::Mode>("mode");
    // The sizes X11 asks a scalable window icon for, and a greyed one.
    for (int side : { 16, 32, 64, 128 })
        QTest::addRow("%d px", side) << side << QIcon::Normal;
    QTest::addRow("32 px disabled") << 32 << QIcon::Disabled;
}

void TestProgramLook::iconDrawnAsQtDrawsIt()
{
    // The windows' icon comes from the program's own engine; it must give the pixels of Qt's
    // own SVG icon.
    QFETCH(int, side);
    QFETCH(QIcon::Mode, mode);
    const QString resource = QStringLiteral(":/app-icon.svg");
    const QIcon qts(resource);
    QVERIFY(!qts.isNull());
    QCOMPARE(svgIcon(resource).pixmap(QSize(side, side), mode).toImage(),
             qts.pixmap(QSize(side, side), mode).toImage());
}

void TestProgramLook::otherCjkFace_data()
{
    QTest::addColumn<QString>("name"); // of a control holding text; "about:" for AboutDialog's
    QTest::addColumn<bool>("otherFace");
    const auto add = [](const QString &name) {
        QTest::addRow("%s", qPrintable(name)) << name << false;
        QTest::addRow("%s, WenQuanYi Zen Hei", qPrintable(name)) << name << true;
    };
    for (const char *name :
         { "historyFrame", "resultFrame", "startFrame", "poolFrame", "startButton", "greetingLabel",
           "copyrightLink", "fileMenu", "runMenu", "helpMenu", "about:descriptionLabel",
           "about:dedicationLabel", "about:brandLink", "about:okButton" })
        add(QString::fromLatin1(name));
    for (int p = 0; p < 7; ++p)
        add(QStringLiteral("ballCaption%1").arg(p));
}

void TestProgramLook::otherCjkFace()
{
    // Every text fits its place in the program's face, and on a machine whose one CJK face is
    // WenQuanYi Zen Hei, not the one the set-up installs.
    QFETCH(QString, name);
    QFETCH(bool, otherFace);
    const QString folder = QStringLiteral("/usr/share/fonts/truetype/wqy");
    if (otherFace && !QFile::exists(folder + QStringLiteral("/wqy-zenhei.ttc"))) {
        // make check and make test install it first: there its absence is a fault.
        if (qEnvironmentVariableIsSet("ORBELUNE_REQUIRE_TEST_FONTS"))
            QFAIL("fonts-wqy-zenhei is missing, though the set-up installs it");
        QSKIP("needs fonts-wqy-zenhei, which tools/setup-deps.sh installs");
    }
    if (otherFace && qEnvironmentVariableIsEmpty("ORBELUNE_OTHER_FACE")) {
        // The fontconfig file lists that face's folder only; nothing on the machine changes.
        static QTemporaryDir settings;
        const QString file = settings.filePath(QStringLiteral("fonts.conf"));
        QVERIFY(writeFile(file,
                          QStringLiteral("<?xml version=\"1.0\"?><fontconfig><dir>%1</dir>"
                                         "<cachedir>%2</cachedir></fontconfig>\n")
                              .arg(folder, settings.filePath(QStringLiteral("cache")))
                              .toUtf8()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("FONTCONFIG_FILE"), file);
#ifdef Q_OS_WIN
        // Qt's offscreen platform asks no fontconfig on Windows: it reads one folder's faces.
        environment.insert(QStringLiteral("QT_QPA_FONTDIR"),
                           QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath()));
#endif
        environment.insert(QStringLiteral("ORBELUNE_OTHER_FACE"), QStringLiteral("1"));
        const QString failure = rowInFreshProcess(environment);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }

    MainWindow main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    AboutDialog about(&main);
    QWidget *window = name.startsWith("about:") ? static_cast<QWidget *>(&about) : &main;
    auto *control = window->findChild<QWidget *>(name.section(':', -1));
    QVERIFY(control);
    if (otherFace)
        QCOMPARE(QFontInfo(control->font()).family(), QStringLiteral("WenQuanYi Zen Hei"));

    QString text;
    if (auto *label = qobject_cast<QLabel *>(control))
        text = label->text();
    else if (auto *button = qobject_cast<QPushButton *>(control))
        text = button->text();
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        text = frame->title();
    else if (auto *menu = qobject_cast<QMenu *>(control)) {
        text = menu->title();
        for (const QAction *action : menu->actions())
            text += action->text();
    }
    // No character is drawn as a box.
    const QFontMetrics metrics(control->font());
    for (const char32_t character : text.toUcs4())
        QVERIFY2(character == U' ' || metrics.inFontUcs4(character),
                 qPrintable(QString::fromUcs4(&character, 1)));

    // Nothing is cut off: the text fits where it stands, and that is inside its window.
    const QRect inParent(QPoint(0, 0), control->parentWidget()->size());
    if (!qobject_cast<QMenu *>(control)) {
        QVERIFY2(inParent.contains(control->geometry()),
                 qPrintable(
                     QStringLiteral("%1 in %2")
                         .arg(QDebug::toString(control->geometry()), QDebug::toString(inParent))));
    }
    if (auto *paragraph = dynamic_cast<ParagraphLabel *>(control)) {
        const QRect ink = inkBounds(paragraph);
        QVERIFY2(!ink.isEmpty()
                     && paragraph->y() + ink.bottom()
                         < child<QWidget>(&about, "dedicationLabel")->y(),
                 qPrintable(QDebug::toString(ink)));
    } else if (auto *frame = qobject_cast<QGroupBox *>(control)) {
        QVERIFY(metrics.horizontalAdvance(frame->title()) < frame->width());
    } else if (!qobject_cast<QMenu *>(control)) {
        const QSize needed = control->sizeHint();
        QVERIFY2(needed.width() <= control->width() && needed.height() <= control->height(),
                 qPrintable(QDebug::toString(needed)));
        // These two lines size themselves to their text at their place: no wider to click.
        if (name == "copyrightLink" || name.endsWith("dedicationLabel"))
            QCOMPARE(control->size(), needed);
    }

    // A ball's caption stands on the middle of its ball, within three pixels; what the face
    // draws is measured, not what it promises.
    if (name.startsWith(QLatin1String("ballCaption"))) {
        const int p = name.right(1).toInt();
        const QRect ink = inkBounds(control);
        QVERIFY(!ink.isEmpty());
        const QPointF offset = QRectF(ink.translated(control->pos())).center()
            - QRectF(ui(&main).ballPictures[std::size_t(p)]->geometry()).center();
        QVERIFY2(std::abs(offset.x()) <= 3 && std::abs(offset.y()) <= 3,
                 qPrintable(QDebug::toString(offset)));
    }
}

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

void TestProgramLook::drawnOnDeviceGrid_data()
{
    QTest::addColumn<QString>("scale");
    for (const char *scale : { "1", "1.25", "1.5", "1.75", "2" })
        QTest::addRow("%s", scale) << QString::fromLatin1(scale);
}

void TestProgramLook::drawnOnDeviceGrid()
{
    // Both windows at a scale of the screen, settled when the application starts: the borders,
    // and the history list's scroll bar over the shipped list and over one row more than a page.
    QFETCH(QString, scale);
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
    QCOMPARE(window.devicePixelRatioF(), scale.toDouble());
    auto *about = new AboutDialog(&window);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QListWidget *list = ui(&window).historyList;
    QScrollBar *bar = list->verticalScrollBar();
    QStringList faults = borderFaults(&window) + borderFaults(about)
        + scrollBarFaults(bar, QStringLiteral("shipped list"));
    delete about;
    while (list->count() > bar->pageStep() + 1)
        delete list->takeItem(list->count() - 1);
    QTRY_COMPARE(bar->maximum(), 1);
    faults += scrollBarFaults(bar, QStringLiteral("one row over a page"));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
}

QTEST_MAIN(TestProgramLook)
#include "tst_programlook.moc"
