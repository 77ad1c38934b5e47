#include "app/form1.h"

#include "app/form2.h"
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
#include "widgets/taggedtimer.h"
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

namespace orbelune {

namespace {

// Left edges of the balls and of their captions inside Frame2, in twips.
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

Form1::Form1(QWidget *parent)
    : QMainWindow(parent)
    , m_random(makeSystemRandomSource())
{
    setObjectName(QStringLiteral("Form1"));
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

    TimSa = new TaggedTimer(this);
    TimSa->setObjectName(QStringLiteral("TimSa"));
    TimSa->setInterval(500);
    // The stages are meant to come every half second; a coarse timer may drift by 5 %.
    TimSa->setTimerType(Qt::PreciseTimer);
    TimSa->setTag(QStringLiteral("0"));
    connect(TimSa, &QTimer::timeout, this, &Form1::TimSa_Timer);

    Timer1 = new TaggedTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    describeForAccessibility();
    setTabOrderOfControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

Form1::~Form1() = default;

void Form1::buildMenus()
{
    auto addItem
        = [this](QMenu *menu, const char *name, const QString &caption, void (Form1::*handler)()) {
              QAction *action = menu->addAction(caption);
              action->setObjectName(QLatin1String(name));
              connect(action, &QAction::triggered, this, handler);
              return action;
          };
    auto addSeparator = [](QMenu *menu, const char *name) {
        QAction *separator = menu->addSeparator();
        separator->setObjectName(QLatin1String(name));
        return separator;
    };

    QMenuBar *bar = menuBar();
    bar->setFont(songFont(defaultFontPx));

    Fifle = bar->addMenu(QStringLiteral("菜单"));
    Fifle->setObjectName(QStringLiteral("Fifle"));
    data = addItem(Fifle, "data", QStringLiteral("导入数据"), &Form1::data_Click);
    savejg = addItem(Fifle, "savejg", QStringLiteral("保存结果"), &Form1::savejg_Click);
    link = addSeparator(Fifle, "link");
    exit = addItem(Fifle, "exit", QStringLiteral("退出"), &Form1::exit_Click);

    caozou = bar->addMenu(QStringLiteral("操作"));
    caozou->setObjectName(QStringLiteral("caozou"));
    start = addItem(caozou, "start", QStringLiteral("开始分析"), &Form1::start_Click);
    stopfx = addItem(caozou, "stopfx", QStringLiteral("停止分析"), &Form1::stopfx_Click);

    help = bar->addMenu(QStringLiteral("帮助"));
    help->setObjectName(QStringLiteral("help"));
    about = addItem(help, "about", QStringLiteral("关于"), &Form1::about_Click);
    line2 = addSeparator(help, "line2");
    webgo = addItem(help, "webgo", QStringLiteral("访问主页"), &Form1::webgo_Click);
}

void Form1::buildFrames(QWidget *client)
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

    // The history list.
    Frame1 = makeFrame("Frame1", QStringLiteral("     往期数据运算参考列表"),
                       twRect(135, 150, 5295, 4995));
    List1 = makeListBox(Frame1, twRect(150, 360, 4935, 4350));
    List1->setObjectName(QStringLiteral("List1"));
    List1->setItemDelegate(new OneLineDelegate(List1));

    // The start of an analysis. The lined paper lies under the button.
    Frame3
        = makeFrame("Frame3", QStringLiteral("     开始分析与计算"), twRect(5505, 150, 4350, 2580));
    Image1
        = makePicture(Frame3, "Image1", QStringLiteral(":/lined-paper.svg"), { tw(45), tw(330) });
    Image2
        = makePicture(Frame3, "Image2", QStringLiteral(":/magnifier.svg"), { tw(3075), tw(975) });
    Command1 = makeDefaultButton(QStringLiteral("开 始 分 析"), "Command1",
                                 twRect(2565, 1530, 1575, 615), Frame3);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    // The default button of the window: Enter starts an analysis wherever the focus is.
    for (const auto key : { Qt::Key_Return, Qt::Key_Enter }) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, Command1, [this] {
            if (Command1->isEnabled())
                Command1->click();
        });
    }

    // The candidate pools.
    Frame4 = makeFrame("Frame4", QStringLiteral("     彩球数据运行缓冲区"),
                       twRect(5490, 2850, 4365, 2295));
    for (int i = 0; i < 7; ++i) {
        QListWidget *pool = makeListBox(Frame4, twRect(120 + 600 * i, 360, 495, 1680));
        pool->setObjectName(QStringLiteral("ListNumB%1").arg(i));
        ListNumB[std::size_t(i)] = pool;
    }

    // The result.
    Frame2
        = makeFrame("Frame2", QStringLiteral("     数据分析结果"), twRect(135, 5295, 9735, 1455));

    // The copyright line at the foot of the window.
    Label2 = new ClickLabel(client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setText(copyrightLine());
    setPaletteColor(Label2, QPalette::WindowText, QColor(0x00, 0x00, 0x40));
    Label2->setCursor(handCursor(devicePixelRatioF()));
    Label2->setToolTip(makerLinkToolTip.toString());
    Label2->move(tw(5370), tw(6810));
    Label2->adjustSize();
    connect(Label2, &ClickLabel::clicked, this, &Form1::Label2_Click);

    // The corner icons sit over the frames' top-left corners, in the room the captions'
    // leading blanks leave.
    Picture4 = makePicture(client, "Picture4", QStringLiteral(":/corner-exchange.svg"),
                           { tw(225), tw(0) });
    Picture2
        = makePicture(client, "Picture2", QStringLiteral(":/corner-dots.svg"), { tw(5610), tw(0) });
    Picture3 = makePicture(client, "Picture3", QStringLiteral(":/corner-run.svg"),
                           { tw(5610), tw(2715) });
    Picture1 = makePicture(client, "Picture1", QStringLiteral(":/corner-tick.svg"),
                           { tw(240), tw(5145) });
    for (SvgPicture *corner : { Picture1, Picture2, Picture3, Picture4 })
        corner->raise();
}

void Form1::buildBallRow()
{
    for (int p = 0; p < 7; ++p) {
        auto *ball = new SvgPicture(
            p < 6 ? QStringLiteral(":/ball-red.svg") : QStringLiteral(":/ball-blue.svg"), Frame2);
        ball->setObjectName(QStringLiteral("ImaRed%1").arg(p));
        ball->setGeometry(twRect(ballLeft[std::size_t(p)], ballTop, ballSize, ballSize));
        ImaRed[std::size_t(p)] = ball;
    }
    for (int p = 0; p < 7; ++p) {
        auto *caption = new LineLabel(Frame2);
        caption->setObjectName(QStringLiteral("CapNum%1").arg(p));
        caption->setFont(songFont(ballFontPx, true));
        caption->move(tw(captionLeft[std::size_t(p)]), tw(captionTop));
        caption->setAttribute(Qt::WA_TranslucentBackground);
        setPaletteColor(caption, QPalette::WindowText,
                        p < 6 ? QColor(Qt::white) : QColor(0xFF, 0xFF, 0x00));
        CapNum[std::size_t(p)] = caption;
        setBallCaption(p, QStringLiteral("08"));
    }

    Label1 = new QLabel(QStringLiteral("祝您中奖！"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(songFont(greetingFontPx, true));
    setPaletteColor(Label1, QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    Label1->move(tw(8070), tw(630));
    Label1->adjustSize();

    // The badge hides the greeting completely while an analysis runs; hidden until then, it
    // reads its picture when it is first shown.
    PicFX = new SvgPicture(QStringLiteral(":/badge-analysing.svg"), twRect(0, 0, 2040, 1200).size(),
                           Frame2);
    PicFX->setObjectName(QStringLiteral("PicFX"));
    PicFX->move(tw(7485), tw(150));
    PicFX->raise();
    PicFX->hide();
}

void Form1::setBallCaption(int p, const QString &caption)
{
    QLabel *label = CapNum.at(std::size_t(p));
    label->setText(caption);
    label->adjustSize();
    // On Linux an accessible name replaces a label's text, so the name carries the number.
    label->setAccessibleName(QStringLiteral("%1：%2").arg(ballName(p), caption));
}

void Form1::loadShippedHistory()
{
    QFile shipped(QStringLiteral(":/history.txt"));
    if (!shipped.open(QIODevice::ReadOnly))
        return;
    List1->addItems(splitHistoryLines(decodeGbk(shipped.readAll())));
}

void Form1::describeForAccessibility()
{
    installAccessibleControls();
    openMenusWithF10(this);
    auto describe = [](QWidget *widget, const QString &name, const QString &description) {
        if (!name.isEmpty())
            widget->setAccessibleName(name);
        widget->setAccessibleDescription(description);
    };
    describe(List1, QStringLiteral("往期数据运算参考列表"),
             QStringLiteral("历史开奖号码，每行一期 (List1)"));
    describe(Command1, QString(), QStringLiteral("开始一次分析 (Command1)"));
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        describe(ListNumB[i], QStringLiteral("%1候选号码").arg(ballName(p)),
                 QStringLiteral("彩球数据运行缓冲区 (ListNumB%1)").arg(p));
        describe(ImaRed[i], ballName(p), QStringLiteral("彩球图片 (ImaRed%1)").arg(p));
        describe(CapNum[i], QString(), QStringLiteral("彩球号码 (CapNum%1)").arg(p));
    }
    describe(Label1, QString(), QStringLiteral("问候语 (Label1)"));
    describe(PicFX, QStringLiteral("正在分析..."), QStringLiteral("分析标志 (PicFX)"));
    describe(Label2, QString(), QStringLiteral("版权信息，单击访问主页 (Label2)"));
    describe(Image1, QStringLiteral("文档"), QStringLiteral("图片 (Image1)"));
    describe(Image2, QStringLiteral("放大镜"), QStringLiteral("图片 (Image2)"));
    describe(Picture1, QStringLiteral("数据分析结果图标"), QStringLiteral("图标 (Picture1)"));
    describe(Picture2, QStringLiteral("开始分析与计算图标"), QStringLiteral("图标 (Picture2)"));
    describe(Picture3, QStringLiteral("彩球数据运行缓冲区图标"), QStringLiteral("图标 (Picture3)"));
    describe(Picture4, QStringLiteral("往期数据运算参考列表图标"),
             QStringLiteral("图标 (Picture4)"));
    for (QGroupBox *frame : { Frame1, Frame2, Frame3, Frame4 })
        describe(frame, frame->title().trimmed(), QStringLiteral("(%1)").arg(frame->objectName()));
    describe(menuBar(), QStringLiteral("菜单栏"), QStringLiteral("F10 打开菜单"));
    for (QMenu *menu : { Fifle, caozou, help })
        describe(menu, menu->title(), QStringLiteral("(%1)").arg(menu->objectName()));
}

void Form1::setTabOrderOfControls()
{
    // The history list, the pools in index order, then the start button. No picture takes
    // the focus: no key does anything on one, and a screen reader reaches them by their names.
    QWidget *previous = List1;
    for (QListWidget *pool : ListNumB) {
        setTabOrder(previous, pool);
        previous = pool;
    }
    setTabOrder(previous, Command1);
    List1->setFocus();
}

void Form1::exit_Click()
{
    close();
}

void Form1::about_Click()
{
    // The window is modal, so only code can ask for a second one while it is open.
    if (findChild<Form2 *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto *window = new Form2(this);
    // exec() honours this flag: the window is deleted when it has closed and exec returns.
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->exec();
}

void Form1::webgo_Click()
{
    openWebAddress(makerHomePage());
}

void Form1::Label2_Click()
{
    openWebAddress(makerHomePage());
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing ends the program, even in the middle of a run: nothing is saved, and no tick
    // may follow. A handler that was waiting in a yield sees m_closing and returns.
    m_closing = true;
    TimSa->stop();
    Timer1->stop();
    event->accept();
}

bool Form1::yieldToEvents(const std::function<void()> &modal)
{
    const QPointer<Form1> alive(this);
    if (modal)
        modal();
    else
        QCoreApplication::processEvents();
    return alive && !m_closing;
}

} // namespace orbelune
