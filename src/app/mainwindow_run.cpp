// The analysis run: its start, a stage each tick, the draw of one ball, and the one way it ends.

#include "app/mainwindow.h"

#include "draw/caption.h"
#include "draw/elimination.h"
#include "draw/randomsource.h"
#include "widgets/svgpicture.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace orbelune {

namespace {

// Starting a timer that already runs would restart its rhythm.
void keepRunning(QTimer *timer)
{
    if (!timer->isActive())
        timer->start();
}

} // namespace

void MainWindow::startRun()
{
    // The lock keeps both start commands disabled during a run; a click that still reaches
    // here (queued before the lock, or made by code) must not start a second one.
    if (isRunActive())
        return;
    lockCommands(true);
    prepareRun();
}

void MainWindow::lockCommands(bool locked)
{
    // Always in this order: the button, then the three menu items.
    m_startButton->setEnabled(!locked);
    for (QAction *command : { m_startAction, m_importAction, m_saveAction })
        command->setEnabled(!locked);
}

bool MainWindow::isRunActive() const
{
    return !m_startButton->isEnabled();
}

void MainWindow::prepareRun()
{
    setCursor(Qt::WaitCursor);
    keepRunning(m_sweepTimer);

    // The window repaints the locked commands and takes pending input first. A stop or close
    // handled here cancels this start; a new start made meanwhile owns the run from then on.
    const quint64 serial = ++m_runSerial;
    if (!yieldToEvents() || serial != m_runSerial)
        return;

    m_analysisBadge->show();
    for (std::size_t p = 0; p < 7; ++p) {
        m_ballCaptions[p]->hide();
        m_ballPictures[p]->hide();
        m_poolLists[p]->clear();
        m_chosen[p] = 999;
    }
    keepRunning(m_stageTimer);
}

void MainWindow::onStageTick()
{
    const int s = m_stage;
    const bool red = s <= 5;
    const int p = red ? s : 6;
    QStringList candidates;
    for (qint16 i = 1; i <= (red ? 33 : 16); ++i) {
        if (!red || std::find(m_chosen.begin(), m_chosen.end(), i) == m_chosen.end())
            candidates.append(QString::number(i));
    }
    m_poolLists[std::size_t(p)]->clear();
    m_poolLists[std::size_t(p)]->addItems(candidates);
    drawBall(qint16(p), qint16(red ? 32 - s : 15));
    m_stage = s + 1;
    if (s == 9)
        endRun();
}

void MainWindow::drawBall(qint16 p, qint16 throwOut)
{
    QListWidget *pool = m_poolLists.at(std::size_t(p));

    // Each candidate thrown out is picked uniformly among those left; the others keep their
    // order, so the user watches the pool shrink in place.
    for (qint16 step = 0; step < throwOut; ++step) {
        const qint16 k = eliminationIndex(qint16(pool->count()), m_random->next());
        pool->setCurrentRow(k);
        delete pool->takeItem(k);
        pool->setCurrentRow(-1);
    }

    // The survivor is the first item left; only now does the table learn the number.
    pool->setCurrentRow(0);
    m_chosen.at(std::size_t(p)) = qint16(pool->currentItem()->text().toShort());
    setBallCaption(p, ballCaption(m_chosen.at(std::size_t(p))));
    m_ballCaptions[std::size_t(p)]->show();
    m_ballPictures[std::size_t(p)]->show();
}

void MainWindow::setRandomSource(std::unique_ptr<RandomSource> source)
{
    m_random = std::move(source);
}

void MainWindow::endRun()
{
    // A start still waiting in its yield must not carry on after this.
    ++m_runSerial;
    m_stage = 0;
    m_stageTimer->stop();
    m_analysisBadge->hide();
    m_sweepTimer->stop();
    unsetCursor();
    lockCommands(false);
}

} // namespace orbelune
