// The yardstick for Orbelune's start-up: the lightest Qt Widgets program that opens the same
// kind of window. A main window of the same client size with the same menu bar, a list of the
// same 877 history rows and seven bold 24-point labels, and nothing else: no pictures, no
// style or palette of its own, no translations, no accessibility set-up. The bench starts it
// with the same preloaded probe as the program and divides the two figures.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Orbelune reference"));

    QMenu *menu = window.menuBar()->addMenu(QStringLiteral("菜单"));
    menu->addAction(QStringLiteral("导入数据"));
    menu->addAction(QStringLiteral("保存结果"));
    menu->addSeparator();
    menu->addAction(QStringLiteral("退出"), &window, &QWidget::close);
    menu = window.menuBar()->addMenu(QStringLiteral("操作"));
    menu->addAction(QStringLiteral("开始分析"));
    menu->addAction(QStringLiteral("停止分析"));
    menu = window.menuBar()->addMenu(QStringLiteral("帮助"));
    menu->addAction(QStringLiteral("关于"));
    menu->addSeparator();
    menu->addAction(QStringLiteral("访问主页"));

    auto *client = new QWidget;
    client->setFixedSize(662, 470);
    window.setCentralWidget(client);

    auto *list = new QListWidget(client);
    list->setGeometry(19, 34, 329, 290);
    QFile rows(QStringLiteral(":/history.txt"));
    if (rows.open(QIODevice::ReadOnly))
        list->addItems(
            QString::fromLatin1(rows.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));

    QFont bold = QApplication::font();
    bold.setPointSize(24);
    bold.setBold(true);
    for (int i = 0; i < 7; ++i) {
        auto *label = new QLabel(QStringLiteral("08"), client);
        label->setFont(bold);
        label->move(28 + 69 * i, 389);
        label->adjustSize();
    }

    window.show();
    return app.exec();
}
