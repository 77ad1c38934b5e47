// The elimination draw of one ball position, on the main window's pools and ball row.

#include "app/form1.h"

#include "draw/caption.h"
#include "draw/elimination.h"
#include "draw/randomsource.h"
#include "widgets/svgpicture.h"

#include <QLabel>
#include <QListWidget>

namespace orbelune {

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
    setBallCaption(p, ballCaption(m_chosen[std::size_t(p)]));
    CapNum[std::size_t(p)]->show();
    ImaRed[std::size_t(p)]->show();
}

} // namespace orbelune
