// The analysis run: the start, one stage a tick of TimSa, the elimination draw of one ball
// position on the pools and the ball row, and the one way a run ends.

#include "app/form1.h"

#include "draw/caption.h"
#include "draw/elimination.h"
#include "draw/randomsource.h"
#include "widgets/svgpicture.h"
#include "widgets/taggedtimer.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace orbelune {

void Form1::Command1_Click()
{
    // The lock keeps both start commands disabled during a run; a click that still reaches
    // here (queued before the lock, or made by code) must not start a second one.
    if (isRunActive())
        return;
    锁定命令();
    初始化彩票球();
}

void Form1::start_Click()
{
    // The menu item starts a run exactly as the button does.
    Command1_Click();
}

void Form1::锁定命令()
{
    setLockedCommandsEnabled(false);
}

void Form1::setLockedCommandsEnabled(bool enabled)
{
    // Always in this order: the button, then the three menu items.
    Command1->setEnabled(enabled);
    start->setEnabled(enabled);
    data->setEnabled(enabled);
    savejg->setEnabled(enabled);
}

bool Form1::isRunActive() const
{
    // The lock is taken before a run starts and released only by its end.
    return !Command1->isEnabled();
}

void Form1::初始化彩票球()
{
    setCursor(Qt::WaitCursor);
    Timer1->setEnabled(true);

    // Let the window repaint the locked commands and take pending input before the run
    // starts. A stop, or the close of the window, handled here cancels this start; a new
    // start made in the meantime owns the run from then on.
    const quint64 serial = ++m_runSerial;
    if (!yieldToEvents() || serial != m_runSerial)
        return;

    PicFX->show();
    for (std::size_t p = 0; p < 7; ++p) {
        CapNum[p]->hide();
        ImaRed[p]->hide();
        ListNumB[p]->clear();
        m_chosen[p] = 999;
    }
    TimSa->setEnabled(true);
}

void Form1::TimSa_Timer()
{
    const qint16 s = TimSa->tag().toShort();
    if (s <= 5) {
        QListWidget *pool = ListNumB[std::size_t(s)];
        pool->clear();
        QStringList candidates;
        for (qint16 i = 1; i <= 33; ++i) {
            if (std::find(m_chosen.begin(), m_chosen.end(), i) == m_chosen.end())
                candidates.append(QString::number(i));
        }
        pool->addItems(candidates);
        计算奖球(s, qint16(32 - s));
    } else {
        计算蓝球();
    }
    TimSa->setTag(QString::number(s + 1));
    if (s == 9)
        结束分析();
}

void Form1::计算蓝球()
{
    QListWidget *pool = ListNumB[6];
    pool->clear();
    QStringList candidates;
    for (int i = 1; i <= 16; ++i)
        candidates.append(QString::number(i));
    pool->addItems(candidates);
    计算奖球(6, 15);
}

void Form1::计算奖球(qint16 p, qint16 q)
{
    QListWidget *pool = ListNumB.at(std::size_t(p));

    // Throw out q candidates, each picked uniformly among those left. The pool keeps the
    // order of the others, so the user watches it shrink in place.
    for (qint16 step = 0; step < q; ++step) {
        const qint16 k = eliminationIndex(qint16(pool->count()), m_random->next());
        pool->setCurrentRow(k);
        delete pool->takeItem(k);
        pool->setCurrentRow(-1);
    }

    // The survivor is the first item left; only now does the table learn the number.
    pool->setCurrentRow(0);
    m_chosen.at(std::size_t(p)) = qint16(pool->currentItem()->text().toShort());
    setBallCaption(p, ballCaption(chosenNumber(p)));
    CapNum[std::size_t(p)]->show();
    ImaRed[std::size_t(p)]->show();
}

void Form1::setRandomSource(std::unique_ptr<RandomSource> source)
{
    m_random = std::move(source);
}

void Form1::stopfx_Click()
{
    TimSa->setEnabled(false);
    Timer1->setEnabled(false);
    结束分析();
}

void Form1::结束分析()
{
    // A start still waiting in its yield must not carry on after this.
    ++m_runSerial;
    TimSa->setTag(QStringLiteral("0"));
    TimSa->setEnabled(false);
    PicFX->hide();
    Timer1->setEnabled(false);
    unsetCursor();
    setLockedCommandsEnabled(true);
}

} // namespace orbelune
