// The main window as it opens and as it is drawn, and the elimination draw on its pools.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/mainwindow.h"
#include "widgets/appstyle.h"
#include "widgets/paragraphlabel.h"
#include "widgets/svgpicture.h"

#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

#include <cmath>

using namespace orbelune;
using namespace orbelune::testing;

class TestMainWindow : public WindowTest
{
    Q_OBJECT

private slots:
    // What the program does before it builds a window.
    void initTestCase() { installProgramLook(); }

    void opensIdle();
    void focusShown_data();
    void focusShown();
    void picturesDrawAsTheirSource_data();
    void picturesDrawAsTheirSource();
    void iconDrawnAsQtDrawsIt_data();
    void iconDrawnAsQtDrawsIt();
    void otherCjkFace_data();
    void otherCjkFace();

    void poolShrinksInPlace();
    void survivorIsUniform();
};

void TestMainWindow::opensIdle()
{
    QListWidget *list = ui(m_mainWindow).historyList;
    QCOMPARE(list->count(), 877);
    QCOMPARE(list->item(0)->text(), QStringLiteral("04,11,12,14,20,30 13"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("10,11,12,15,26,29 09"));
    QCOMPARE(list->item(876)->text(), QStringLiteral("04,08,12,15,19,28 01"));
    // Counted from 1: the row kept in drawing order, and the row that stands twice.
    QCOMPARE(list->item(562)->text(), QStringLiteral("09,27,14,05,31,32 13"));
    QCOMPARE(list->item(421)->text(), QStringLiteral("09,11,13,27,31,33 10"));
    QCOMPARE(list->item(574)->text(), QStringLiteral("09,11,13,27,31,33 10"));
    QCOMPARE(list->currentRow(), -1);

    QCOMPARE(m_mainWindow->windowTitle(), QStringLiteral("Orbelune Ver1.2"));
    QCOMPARE(ui(m_mainWindow).sweepTimer->interval(), 10);
    QCOMPARE(ui(m_mainWindow).ballCaptions[0]->accessibleName(), QStringLiteral("红球 1：08"));
    QCOMPARE(ui(m_mainWindow).ballCaptions[6]->accessibleName(), QStringLiteral("蓝球：08"));

    // A fixed client area below the menu bar, in a window that cannot be maximised.
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    QCOMPARE(m_mainWindow->centralWidget()->size(), QSize(662, 470));
    QCOMPARE(m_mainWindow->centralWidget()->y(), m_mainWindow->menuBar()->height());
    QCOMPARE(m_mainWindow->minimumSize(), m_mainWindow->maximumSize());
    QVERIFY(!(m_mainWindow->windowFlags() & Qt::WindowMaximizeButtonHint));

    // Each caption on its ball; where on it, otherCjkFace measures.
    for (std::size_t p = 0; p < 7; ++p) {
        QVERIFY(ui(m_mainWindow)
                    .ballPictures[p]
                    ->geometry()
                    .contains(ui(m_mainWindow).ballCaptions[p]->geometry().center()));
    }

    // The badge covers the greeting, stacked above it.
    QCOMPARE(ui(m_mainWindow).greetingLabel->text(), QStringLiteral("祝您中奖！"));
    QVERIFY(ui(m_mainWindow)
                .analysisBadge->geometry()
                .contains(ui(m_mainWindow).greetingLabel->geometry()));
    const QObjectList order = ui(m_mainWindow).resultFrame->children();
    QVERIFY(order.indexOf(ui(m_mainWindow).analysisBadge)
            > order.indexOf(ui(m_mainWindow).greetingLabel));
}

void TestMainWindow::focusShown_data()
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

void TestMainWindow::focusShown()
{
    // Every stop of the Tab key, in order, shows that the keyboard is there: the start button's
    // own face and the pools before a run used to look the same with it and without. Past the
    // button the history list again: no key does anything on a picture.
    QFETCH(int, stop);
    QFETCH(qreal, scale);
    QList<QWidget *> order { ui(m_mainWindow).historyList };
    for (QListWidget *pool : ui(m_mainWindow).poolLists)
        order.append(pool);
    order << ui(m_mainWindow).startButton << ui(m_mainWindow).historyList;
    ui(m_mainWindow).analysisBadge->show();
    QVERIFY(showActive(m_mainWindow));
    ui(m_mainWindow).historyList->setFocus();
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

void TestMainWindow::picturesDrawAsTheirSource_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<qreal>("scale");
    for (qreal scale : { 1.0, 1.25, 1.5, 2.0 })
        QTest::addRow("red ball, scale %g", scale) << QStringLiteral(":/ball-red.svg") << scale;
    QTest::addRow("lined paper, scale 1") << QStringLiteral(":/lined-paper.svg") << 1.0;
}

void TestMainWindow::picturesDrawAsTheirSource()
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

void TestMainWindow::iconDrawnAsQtDrawsIt_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QIcon::Mode>("mode");
    // The sizes X11 asks a scalable window icon for, and a greyed one.
    for (int side : { 16, 32, 64, 128 })
        QTest::addRow("%d px", side) << side << QIcon::Normal;
    QTest::addRow("32 px disabled") << 32 << QIcon::Disabled;
}

void TestMainWindow::iconDrawnAsQtDrawsIt()
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

void TestMainWindow::otherCjkFace_data()
{
    QTest::addColumn<QString>("name"); // of a control holding text; "about:" for AboutDialog's
    for (const char *name :
         { "historyFrame", "resultFrame", "startFrame", "poolFrame", "startButton", "greetingLabel",
           "copyrightLink", "ballCaption0", "ballCaption5", "ballCaption6", "fileMenu", "runMenu",
           "helpMenu", "about:descriptionLabel", "about:dedicationLabel", "about:brandLink",
           "about:okButton" })
        QTest::addRow("%s", name) << QString::fromLatin1(name);
}

void TestMainWindow::otherCjkFace()
{
    // A machine whose one CJK face is WenQuanYi Zen Hei, not the one the set-up installs.
    QFETCH(QString, name);
    const QString folder = QStringLiteral("/usr/share/fonts/truetype/wqy");
    if (!QFile::exists(folder + QStringLiteral("/wqy-zenhei.ttc"))) {
        // make check and make test install it first: there its absence is a fault.
        if (qEnvironmentVariableIsSet("ORBELUNE_REQUIRE_TEST_FONTS"))
            QFAIL("fonts-wqy-zenhei is missing, though the set-up installs it");
        QSKIP("needs fonts-wqy-zenhei, which tools/setup-deps.sh installs");
    }
    if (qEnvironmentVariableIsEmpty("ORBELUNE_OTHER_FACE")) {
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

    installProgramLook();
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    AboutDialog about(m_mainWindow);
    QWidget *window = name.startsWith("about:") ? static_cast<QWidget *>(&about) : m_mainWindow;
    auto *control = window->findChild<QWidget *>(name.section(':', -1));
    QVERIFY(control);
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
        QVERIFY(paragraph->y() + inkBounds(paragraph).bottom()
                < child<QWidget>(&about, "dedicationLabel")->y());
    } else if (auto *frame = qobject_cast<QGroupBox *>(control)) {
        QVERIFY(metrics.horizontalAdvance(frame->title()) < frame->width());
    } else if (!qobject_cast<QMenu *>(control)) {
        const QSize needed = control->sizeHint();
        QVERIFY2(needed.width() <= control->width() && needed.height() <= control->height(),
                 qPrintable(QDebug::toString(needed)));
    }

    // A ball's caption stands on the middle of its ball, within three pixels; what the face
    // draws is measured, not what it promises.
    if (name.startsWith(QLatin1String("ballCaption"))) {
        const int p = name.right(1).toInt();
        const QRect ink = inkBounds(control);
        QVERIFY(!ink.isEmpty());
        const QPointF offset = QRectF(ink.translated(control->pos())).center()
            - QRectF(ui(m_mainWindow).ballPictures[std::size_t(p)]->geometry()).center();
        QVERIFY2(std::abs(offset.x()) <= 3 && std::abs(offset.y()) <= 3,
                 qPrintable(QDebug::toString(offset)));
    }
}

void TestMainWindow::poolShrinksInPlace()
{
    // Each value throws out the candidate at floor(n × r) of those left; the others keep their
    // order, and the survivor is the first one left.
    const QList<float> values { 0.5f, std::nextafter(1.0f, 0.0f), 0.0f, 2.0f / 30.0f };
    QListWidget *pool = ui(m_mainWindow).poolLists[0];
    QStringList expected;
    for (int i = 1; i <= 33; ++i)
        expected.append(QString::number(i));
    QStringList seen;
    int step = 0;
    m_mainWindow->setRandomSource(std::make_unique<ScriptedRandom>(values, [&] {
        if (step > 0) {
            const int k = int(float(expected.size()) * values.value(step - 1, values.last()));
            expected.removeAt(k);
        }
        ++step;
        if (items(pool) != expected)
            seen.append(QString::number(step));
    }));
    ui(m_mainWindow).startButton->click();
    fire(ui(m_mainWindow).stageTimer);
    QVERIFY2(seen.isEmpty(), qPrintable("the pool was out of order at calls " + seen.join(", ")));
    QCOMPARE(pool->count(), 1);
    QCOMPARE(drawnNumber(m_mainWindow, 0), pool->item(0)->text().toInt());
}

void TestMainWindow::survivorIsUniform()
{
    // Each of 33 candidates must survive equally often with the program's own generator;
    // the seed is fixed so that the test gives the same answer on every run.
    constexpr int candidates = 33;
    constexpr int draws = 3300;
    m_mainWindow->setRandomSource(std::make_unique<EngineRandomSource>(20081226u));
    std::array<int, candidates> survived {};
    for (int d = 0; d < draws; ++d) {
        ui(m_mainWindow).startButton->click();
        fire(ui(m_mainWindow).stageTimer);
        ++survived[std::size_t(drawnNumber(m_mainWindow, 0) - 1)];
        ui(m_mainWindow).stopAction->trigger();
    }
    const double expected = double(draws) / candidates;
    double chiSquare = 0.0;
    for (int count : survived)
        chiSquare += (count - expected) * (count - expected) / expected;
    // 32 degrees of freedom: 62.5 is the 99.9 % quantile.
    QVERIFY2(chiSquare < 62.5, qPrintable(QString::number(chiSquare)));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
