#pragma once

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace orbelune {

class ClickLabel;
class RandomSource;
class SvgPicture;
class TaggedTimer;

// The main window, and the one owner of the program's state: the history list, the seven
// candidate pools, the ball row, the analysis badge, the two timers and the chosen numbers.
// Controls keep the names they were designed under, so that every procedure reads like the
// layout tables it was written from. The members are grouped by subsystem; each group says
// which file holds its procedures.
//
// The names kept from the design, in English (tools such as ctags list no Chinese name):
//   Fifle       the menu "菜单", the design's File menu
//   data        "导入数据", import a history file
//   savejg      "保存结果", save the result (结果 jiéguǒ, result)
//   caozou      the menu "操作" (cāozuò, operate)
//   stopfx      "停止分析", stop the analysis (分析 fēnxī, analysis)
//   webgo       "访问主页", visit the maker's home page
//   link, line2 separators of the menus
//   List1       the history list, one past draw a row
//   ListNumB    the seven candidate pools (number lists of the balls)
//   CapNum      the seven ball captions, the drawn numbers in two digits
//   ImaRed      the seven ball pictures, red and, at index 6, blue
//   PicFX       the analysis badge (picture of the 分析)
//   Command1    the start button "开 始 分 析"
//   Label1      the greeting; Label2 the copyright line, a link
//   Frame1 … 4  the group boxes; Image1, 2 the pictures; Picture1 … 4 the corner icons
//   TimSa       the stage timer: one stage of a run each 500 ms
//   Timer1      the validation timer: a sweep over the history list each 10 ms
//   初始化彩票球   "initialise the lottery balls": the start of a run
//   计算奖球       "work out a prize ball": the elimination draw of one ball position
//   计算蓝球       "work out the blue ball": fills the blue pool and draws it
//   锁定命令       "lock the commands" that would start, import or save during a run
//   结束分析       "end the analysis": the one way a run ends
//   导入数据       "import data": the history list replaced by a file's lines
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // ---- Application shell: src/app/form1.cpp -----------------------------------------------

    QGroupBox *Frame1 = nullptr; // history list
    QGroupBox *Frame2 = nullptr; // analysis result: the ball row
    QGroupBox *Frame3 = nullptr; // start of an analysis
    QGroupBox *Frame4 = nullptr; // candidate pools

    QListWidget *List1 = nullptr; // the history rows, one row an item
    SvgPicture *Image1 = nullptr; // lined paper
    SvgPicture *Image2 = nullptr; // magnifier over a running figure
    QPushButton *Command1 = nullptr; // "开 始 分 析"
    std::array<QListWidget *, 7> ListNumB {}; // candidate pools; 0..5 red, 6 blue
    std::array<SvgPicture *, 7> ImaRed {}; // ball pictures
    std::array<QLabel *, 7> CapNum {}; // ball captions over the pictures
    QLabel *Label1 = nullptr; // greeting
    SvgPicture *PicFX = nullptr; // analysis badge, above the greeting
    ClickLabel *Label2 = nullptr; // copyright line, a link to the maker's home page
    SvgPicture *Picture1 = nullptr; // corner icon of Frame2
    SvgPicture *Picture2 = nullptr; // corner icon of Frame3
    SvgPicture *Picture3 = nullptr; // corner icon of Frame4
    SvgPicture *Picture4 = nullptr; // corner icon of Frame1

    QMenu *Fifle = nullptr; // "菜单"
    QAction *data = nullptr; // "导入数据"
    QAction *savejg = nullptr; // "保存结果"
    QAction *link = nullptr; // separator
    QAction *exit = nullptr; // "退出"
    QMenu *caozou = nullptr; // "操作"
    QAction *start = nullptr; // "开始分析"
    QAction *stopfx = nullptr; // "停止分析"
    QMenu *help = nullptr; // "帮助"
    QAction *about = nullptr; // "关于"
    QAction *line2 = nullptr; // separator
    QAction *webgo = nullptr; // "访问主页"

    TaggedTimer *TimSa = nullptr; // stage timer, 500 ms; its tag is the next stage
    TaggedTimer *Timer1 = nullptr; // validation timer, 10 ms

    void exit_Click();
    void about_Click();
    void webgo_Click();
    void Label2_Click();

    // Sets caption p and keeps its accessible name ("红球 1：08") in step with it.
    void setBallCaption(int p, const QString &caption);

    // ---- Draw engine: src/app/form1_run.cpp -------------------------------------------------

    void Command1_Click();
    void start_Click();
    void 初始化彩票球();
    void 计算奖球(qint16 p, qint16 q);
    void 计算蓝球();
    void TimSa_Timer();
    void stopfx_Click();

    // Entry p of the chosen-number table: 0 before the first run, 999 for a position not
    // drawn yet in the current run, otherwise the number drawn at p.
    qint16 chosenNumber(int p) const { return m_chosen.at(std::size_t(p)); }

    // True from the command lock at the start of a run until the run ends or is stopped.
    bool isRunActive() const;

    // Tests script the draw; the program uses the operating system's generator.
    void setRandomSource(std::unique_ptr<RandomSource> source);

    // ---- History data and results: src/app/form1_sweep.cpp, src/app/form1_files.cpp ---------

    void Timer1_Timer();
    void data_Click();
    void 导入数据(const QString &path);
    void savejg_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // ---- Building the window, and handing control out: src/app/form1.cpp -------------------

    void buildFrames(QWidget *client);
    void buildBallRow();
    void buildMenus();
    void describeForAccessibility();
    void setTabOrderOfControls();
    void loadShippedHistory();

    // Hands control to other events: runs modal (a message box or a dialog that waits for the
    // user), or else processes the pending events once. Returns whether the window is still
    // there and not closing; on false the caller returns at once and touches nothing, since
    // the window may be gone. The program's only ways into other handlers go through here.
    bool yieldToEvents(const std::function<void()> &modal = {});

    // Set once the window is closing: a handler that was inside a yield when the user closed
    // the window must not carry on with a run.
    bool m_closing = false;

    // ---- The command lock and the end of a run: src/app/form1_run.cpp ----------------------

    void 锁定命令();
    void 结束分析();
    void setLockedCommandsEnabled(bool enabled);

    std::array<qint16, 7> m_chosen {};
    std::unique_ptr<RandomSource> m_random;

    // Counts starts and stops, so that a start whose yield saw a stop knows it was cancelled.
    quint64 m_runSerial = 0;

    // ---- The import and the save: src/app/form1_files.cpp ----------------------------------

    // The common start of the import and the save: asks for a path with dialog, which closes
    // with the window. Returns empty text when the user cancelled, when the window was closed
    // meanwhile, or when a run was started meanwhile, which the user is told with
    // busyMessage.
    QString askForPath(const std::function<QString()> &dialog, const QStringList &busyMessage);
};

} // namespace orbelune
