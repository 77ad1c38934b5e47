#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/filedialogs.h"
#include "app/links.h"
#include "app/texts.h"
#include "draw/randomsource.h"
#include "history/historytext.h"
#include "widgets/accessibility.h"
#include "widgets/appstyle.h"
#include "widgets/clicklabel.h"
#include "widgets/groupframe.h"
#include "widgets/handcursor.h"
#include "widgets/linelabel.h"
#include "widgets/onelinedelegate.h"
#include "widgets/svgpicture.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace orbelune {

namespace {

// Left edges of the balls and of their captions in the result frame, in twips.
constexpr std::array<int, 7> ballLeft { 240, 1275, 2295, 3330, 4365, 5385, 6420 };
constexpr std::array<int, 7> captionLeft { 420, 1455, 2490, 3525, 4560, 5580, 6615 };
constexpr int ballTop = 330;
constexpr int ballSize = 900;
constexpr int captionTop = 540;

QString ballName(int p)
{
    return p < 6 ? QStringLiteral("红球 %1").arg(p + 1) : QStringLiteral("蓝球");
}

QListWidget *makeListBox(QWidget *parent, const QRect &geometry)
{
    auto *list = new QListWidget(parent);
    list->setGeometry(geometry);
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_random(std::make_unique<EngineRandomSource>())
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Orbelune Ver1.2"));
    setWindowIcon(svgIcon(QStringLiteral(":/app-icon.svg")));
    // A fixed single border: minimise and close, no maximise, no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    makeWhite(this);
    setFont(songFont(defaultFontPx));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(tw(9930), tw(7050));
    makeWhite(client);
    setCentralWidget(client);

    buildMenus();
    buildFrames(client);
    buildBallRow();
    loadShippedHistory();

    m_stageTimer = new QTimer(this);
    m_stageTimer->setObjectName(QStringLiteral("stageTimer"));
    m_stageTimer->setInterval(500);
    // The stages are meant to come every half second; a coarse timer may drift by 5 %.
    m_stageTimer->setTimerType(Qt::PreciseTimer);
    connect(m_stageTimer, &QTimer::timeout, this, &MainWindow::onStageTick);

    m_sweepTimer = new QTimer(this);
    m_sweepTimer->setObjectName(QStringLiteral("sweepTimer"));
    m_sweepTimer->setInterval(10);
    connect(m_sweepTimer, &QTimer::timeout, this, &MainWindow::onSweepTick);

    describeForAccessibility();
    setTabOrderOfControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

// A file dialog has no owner, so the user may close the window while one is open: the dialog
// goes with it, letting the program end, and the command waiting for it returns as cancelled.
MainWindow::~MainWindow()
{
    closeFileDialog();
}

void MainWindow::buildMenus()
{
    auto addMenu = [this](const char *name, const QString &title) {
        QMenu *menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        menu->setAccessibleName(title);
        return menu;
    };
    auto addItem = [this](QMenu *menu, const char *name, const QString &caption, auto handler) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    menuBar()->setFont(songFont(defaultFontPx));

    QMenu *fileMenu = addMenu("fileMenu", QStringLiteral("菜单"));
    m_importAction = addItem(fileMenu, "importAction", QStringLiteral("导入数据"),
                             &MainWindow::chooseHistoryFile);
    m_saveAction
        = addItem(fileMenu, "saveAction", QStringLiteral("保存结果"), &MainWindow::saveResult);
    fileMenu->addSeparator();
    addItem(fileMenu, "exitAction", QStringLiteral("退出"), &MainWindow::close);

    QMenu *runMenu = addMenu("runMenu", QStringLiteral("操作"));
    m_startAction
        = addItem(runMenu, "startAction", QStringLiteral("开始分析"), &MainWindow::startRun);
    addItem(runMenu, "stopAction", QStringLiteral("停止分析"), &MainWindow::endRun);

    QMenu *helpMenu = addMenu("helpMenu", QStringLiteral("帮助"));
    addItem(helpMenu, "aboutAction", QStringLiteral("关于"), &MainWindow::showAbout);
    helpMenu->addSeparator();
    addItem(helpMenu, "homePageAction", QStringLiteral("访问主页"), &MainWindow::openHomePage);
}

void MainWindow::buildFrames(QWidget *client)
{
    auto makeFrame = [client](const char *name, const QString &caption, const QRect &geometry) {
        auto *frame = new GroupFrame(caption, client);
        frame->setObjectName(QLatin1String(name));
        frame->setGeometry(geometry);
        return frame;
    };
    auto makePicture
        = [](QWidget *parent, const char *name, const QString &resource, QPoint topLeft) {
              auto *picture = new SvgPicture(resource, parent);
              picture->setObjectName(QLatin1String(name));
              picture->move(topLeft);
              return picture;
          };

    m_historyFrame = makeFrame("historyFrame", QStringLiteral("     往期数据运算参考列表"),
                               twRect(135, 150, 5295, 4995));
    m_historyList = makeListBox(m_historyFrame, twRect(150, 360, 4935, 4350));
    m_historyList->setObjectName(QStringLiteral("historyList"));
    m_historyList->setItemDelegate(new OneLineDelegate(m_historyList));

    // The lined paper lies under the button.
    m_startFrame = makeFrame("startFrame", QStringLiteral("     开始分析与计算"),
                             twRect(5505, 150, 4350, 2580));
    m_paperPicture = makePicture(m_startFrame, "paperPicture", QStringLiteral(":/lined-paper.svg"),
                                 { tw(45), tw(330) });
    m_magnifierPicture = makePicture(m_startFrame, "magnifierPicture",
                                     QStringLiteral(":/magnifier.svg"), { tw(3075), tw(975) });
    m_startButton = makeDefaultButton(QStringLiteral("开 始 分 析"), "startButton",
                                      twRect(2565, 1530, 1575, 615), m_startFrame);
    connect(m_startButton, &QPushButton::clicked, this, &MainWindow::startRun);
    // The default button of the window: Enter starts an analysis wherever the focus is.
    for (const auto key : { Qt::Key_Return, Qt::Key_Enter }) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_startButton, [this] {
            if (m_startButton->isEnabled())
                m_startButton->click();
        });
    }

    m_poolFrame = makeFrame("poolFrame", QStringLiteral("     彩球数据运行缓冲区"),
                            twRect(5490, 2850, 4365, 2295));
    for (int i = 0; i < 7; ++i) {
        QListWidget *pool = makeListBox(m_poolFrame, twRect(120 + 600 * i, 360, 495, 1680));
        pool->setObjectName(QStringLiteral("poolList%1").arg(i));
        m_poolLists[std::size_t(i)] = pool;
    }

    m_resultFrame = makeFrame("resultFrame", QStringLiteral("     数据分析结果"),
                              twRect(135, 5295, 9735, 1455));

    m_copyrightLink = new ClickLabel(copyrightLine(), client);
    m_copyrightLink->setObjectName(QStringLiteral("copyrightLink"));
    setPaletteColor(m_copyrightLink, QPalette::WindowText, QColor(0x00, 0x00, 0x40));
    m_copyrightLink->setCursor(handCursor(devicePixelRatioF()));
    m_copyrightLink->setToolTip(makerLinkToolTip.toString());
    m_copyrightLink->move(tw(5370), tw(6810));
    m_copyrightLink->adjustSize();
    connect(m_copyrightLink, &ClickLabel::clicked, this, &MainWindow::openHomePage);

    // The corner icons sit over the frames' corners, in the room the captions' blanks leave.
    m_historyIcon = makePicture(client, "historyIcon", QStringLiteral(":/corner-exchange.svg"),
                                { tw(225), tw(0) });
    m_startIcon = makePicture(client, "startIcon", QStringLiteral(":/corner-dots.svg"),
                              { tw(5610), tw(0) });
    m_poolIcon = makePicture(client, "poolIcon", QStringLiteral(":/corner-run.svg"),
                             { tw(5610), tw(2715) });
    m_resultIcon = makePicture(client, "resultIcon", QStringLiteral(":/corner-tick.svg"),
                               { tw(240), tw(5145) });
    for (SvgPicture *corner : { m_resultIcon, m_startIcon, m_poolIcon, m_historyIcon })
        corner->raise();
}

void MainWindow::buildBallRow()
{
    for (int p = 0; p < 7; ++p) {
        auto *ball = new SvgPicture(p < 6 ? QStringLiteral(":/ball-red.svg")
                                          : QStringLiteral(":/ball-blue.svg"),
                                    m_resultFrame);
        ball->setObjectName(QStringLiteral("ballPicture%1").arg(p));
        ball->setGeometry(twRect(ballLeft[std::size_t(p)], ballTop, ballSize, ballSize));
        m_ballPictures[std::size_t(p)] = ball;
    }
    for (int p = 0; p < 7; ++p) {
        auto *caption = new LineLabel(m_resultFrame);
        caption->setObjectName(QStringLiteral("ballCaption%1").arg(p));
        caption->setFont(songFont(ballFontPx, true));
        caption->move(tw(captionLeft[std::size_t(p)]), tw(captionTop));
        caption->setAttribute(Qt::WA_TranslucentBackground);
        setPaletteColor(caption, QPalette::WindowText,
                        p < 6 ? QColor(Qt::white) : QColor(0xFF, 0xFF, 0x00));
        m_ballCaptions[std::size_t(p)] = caption;
        setBallCaption(p, QStringLiteral("08"));
    }

    m_greetingLabel = new QLabel(QStringLiteral("祝您中奖！"), m_resultFrame);
    m_greetingLabel->setObjectName(QStringLiteral("greetingLabel"));
    m_greetingLabel->setFont(songFont(greetingFontPx, true));
    setPaletteColor(m_greetingLabel, QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    m_greetingLabel->move(tw(8070), tw(630));
    m_greetingLabel->adjustSize();

    // Over the greeting while a run goes on; it reads its picture when first shown.
    m_analysisBadge = new SvgPicture(QStringLiteral(":/badge-analysing.svg"),
                                     twRect(0, 0, 2040, 1200).size(), m_resultFrame);
    m_analysisBadge->setObjectName(QStringLiteral("analysisBadge"));
    m_analysisBadge->move(tw(7485), tw(150));
    m_analysisBadge->raise();
    m_analysisBadge->hide();
}

void MainWindow::setBallCaption(int p, const QString &caption)
{
    QLabel *label = m_ballCaptions.at(std::size_t(p));
    label->setText(caption);
    label->adjustSize();
    // On Linux an accessible name replaces a label's text, so the name carries the number.
    label->setAccessibleName(QStringLiteral("%1：%2").arg(ballName(p), caption));
}

void MainWindow::loadShippedHistory()
{
    QFile shipped(QStringLiteral(":/history.txt"));
    if (!shipped.open(QIODevice::ReadOnly))
        return;
    m_historyList->addItems(splitHistoryLines(decodeGbk(shipped.readAll())));
}

void MainWindow::describeForAccessibility()
{
    installAccessibleControls();
    openMenusWithF10(this);
    auto describe = [](QWidget *widget, const QString &name, const QString &description) {
        if (!name.isEmpty())
            widget->setAccessibleName(name);
        widget->setAccessibleDescription(description);
    };
    describe(m_historyList, QStringLiteral("往期数据运算参考列表"),
             QStringLiteral("历史开奖号码，每行一期"));
    describe(m_startButton, QString(), QStringLiteral("开始一次分析"));
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        describe(m_poolLists[i], QStringLiteral("%1候选号码").arg(ballName(p)),
                 QStringLiteral("彩球数据运行缓冲区"));
        describe(m_ballPictures[i], ballName(p), QStringLiteral("彩球图片"));
        describe(m_ballCaptions[i], QString(), QStringLiteral("彩球号码"));
    }
    describe(m_greetingLabel, QString(), QStringLiteral("问候语"));
    describe(m_analysisBadge, QStringLiteral("正在分析..."), QStringLiteral("分析标志"));
    describe(m_copyrightLink, QString(), QStringLiteral("版权信息，单击访问主页"));
    describe(m_paperPicture, QStringLiteral("文档"), QStringLiteral("图片"));
    describe(m_magnifierPicture, QStringLiteral("放大镜"), QStringLiteral("图片"));
    describe(m_resultIcon, QStringLiteral("数据分析结果图标"), QStringLiteral("图标"));
    describe(m_startIcon, QStringLiteral("开始分析与计算图标"), QStringLiteral("图标"));
    describe(m_poolIcon, QStringLiteral("彩球数据运行缓冲区图标"), QStringLiteral("图标"));
    describe(m_historyIcon, QStringLiteral("往期数据运算参考列表图标"), QStringLiteral("图标"));
    for (QGroupBox *frame : { m_historyFrame, m_resultFrame, m_startFrame, m_poolFrame })
        frame->setAccessibleName(frame->title().trimmed());
    describe(menuBar(), QStringLiteral("菜单栏"), QStringLiteral("F10 打开菜单"));
}

void MainWindow::setTabOrderOfControls()
{
    // No picture takes the focus: no key acts on one, and screen readers find them by name.
    QWidget *previous = m_historyList;
    for (QListWidget *pool : m_poolLists) {
        setTabOrder(previous, pool);
        previous = pool;
    }
    setTabOrder(previous, m_startButton);
    m_historyList->setFocus();
}

void MainWindow::showAbout()
{
    // The window is modal, so only code can ask for a second one while it is open.
    if (findChild<AboutDialog *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto *window = new AboutDialog(this);
    // exec() honours this flag: the window is deleted when it has closed and exec returns.
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->exec();
}

void MainWindow::openHomePage()
{
    openWebAddress(makerHomePage());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing ends the program, even mid-run: nothing is saved, and no tick may follow; a
    // handler waiting in a yield sees m_closing and returns.
    m_closing = true;
    m_stageTimer->stop();
    m_sweepTimer->stop();
    closeFileDialog();
    event->accept();
}

bool MainWindow::yieldToEvents(const std::function<void()> &modal)
{
    const QPointer<MainWindow> alive(this);
    if (modal)
        modal();
    else
        QCoreApplication::processEvents();
    return alive && !m_closing;
}

} // namespace orbelune
