#pragma once

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace orbelune {

class ClickLabel;
class RandomSource;
class SvgPicture;

// The main window, the one owner of the program's state. Its members are grouped by what they
// do, each group naming the file that holds its functions.
class MainWindow : public QMainWindow
{
    Q_OBJECT
    // The stage the next tick of the stage timer runs; tests read it and set it by this name.
    Q_PROPERTY(int stage MEMBER m_stage)

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Tests script the draw; the program uses the operating system's generator.
    void setRandomSource(std::unique_ptr<RandomSource> source);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // ---- The window, its widgets, handing control out: src/app/mainwindow.cpp ----------------

    QGroupBox *m_historyFrame = nullptr;
    QGroupBox *m_resultFrame = nullptr; // the ball row
    QGroupBox *m_startFrame = nullptr;
    QGroupBox *m_poolFrame = nullptr;

    QListWidget *m_historyList = nullptr; // one past draw a row
    SvgPicture *m_paperPicture = nullptr; // lined paper, under the start button
    SvgPicture *m_magnifierPicture = nullptr;
    QPushButton *m_startButton = nullptr;
    std::array<QListWidget *, 7> m_poolLists {}; // candidate pools; 0..5 red, 6 blue
    std::array<SvgPicture *, 7> m_ballPictures {};
    std::array<QLabel *, 7> m_ballCaptions {}; // the drawn numbers, over the balls
    QLabel *m_greetingLabel = nullptr;
    SvgPicture *m_analysisBadge = nullptr; // over the greeting while a run goes on
    ClickLabel *m_copyrightLink = nullptr; // opens the maker's home page
    SvgPicture *m_resultIcon = nullptr; // the frames' corner icons
    SvgPicture *m_startIcon = nullptr;
    SvgPicture *m_poolIcon = nullptr;
    SvgPicture *m_historyIcon = nullptr;

    QAction *m_importAction = nullptr; // the commands a run locks, with m_startButton
    QAction *m_saveAction = nullptr;
    QAction *m_startAction = nullptr;

    QTimer *m_stageTimer = nullptr; // one stage of a run each 500 ms
    QTimer *m_sweepTimer = nullptr; // a check of the history list each 10 ms during a run

    void buildFrames(QWidget *client);
    void buildBallRow();
    void buildMenus();
    void describeForAccessibility();
    void setTabOrderOfControls();
    void loadShippedHistory();
    void showAbout();
    void openHomePage();

    // Sets caption p and keeps its accessible name ("红球 1：08") in step with it.
    void setBallCaption(int p, const QString &caption);

    // The program's only way into other handlers: runs modal (a message box or dialog), or else
    // processes the pending events once. Returns whether the window is still there and not
    // closing; on false the caller returns at once and touches nothing, the window may be gone.
    bool yieldToEvents(const std::function<void()> &modal = {});

    bool m_closing = false; // a handler back from a yield must not carry on with a run

    // ---- The analysis run: src/app/mainwindow_run.cpp ----------------------------------------

    void startRun();
    void prepareRun();
    // Throws throwOut candidates out of pool p, one at a time, and shows the survivor on ball p.
    void drawBall(qint16 p, qint16 throwOut);
    void onStageTick();

    // True from the command lock at the start of a run until the run ends or is stopped.
    bool isRunActive() const;
    // Disables (or enables again) the commands that would start, import or save during a run.
    void lockCommands(bool locked);
    void endRun();

    // The chosen numbers: 0 before the first run, 999 for a position not drawn yet in this run.
    std::array<qint16, 7> m_chosen {};
    int m_stage = 0; // the stage the next tick runs: 0..5 a red ball each, 6..9 the blue one
    std::unique_ptr<RandomSource> m_random;

    // Counts starts and stops, so that a start whose yield saw a stop knows it was cancelled.
    quint64 m_runSerial = 0;

    // ---- History data and results: mainwindow_sweep.cpp, mainwindow_files.cpp ----------------

    void onSweepTick();
    void chooseHistoryFile();
    void importHistory(const QString &path);
    void saveResult();

    // Asks for a path with dialog, which closes with the window. Returns empty text for a cancel,
    // a window closed meanwhile, or a run started meanwhile (the user is told busyMessage).
    QString askForPath(const std::function<QString()> &dialog, const QStringList &busyMessage);
};

} // namespace orbelune
