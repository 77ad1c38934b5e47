// The program's look is its own whatever the desktop hands it: a palette, a style, a font.

#include "testsupport.h"

#include "app/aboutdialog.h"
#include "app/mainwindow.h"
#include "app/texts.h"
#include "widgets/appstyle.h"

#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <QToolTip>

using namespace orbelune;
using namespace orbelune::testing;

class TestProgramLook : public QObject
{
    Q_OBJECT

private slots:
    void sameLookOnAnyDesktop_data();
    void sameLookOnAnyDesktop();
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

QTEST_MAIN(TestProgramLook)
#include "tst_programlook.moc"
