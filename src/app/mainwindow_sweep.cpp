// The validation sweep over the history list, once every tick of the sweep timer during a run.

#include "app/mainwindow.h"

#include "app/failuretext.h"
#include "app/messagebox.h"
#include "history/historyrow.h"

#include <QListWidget>

#include <algorithm>

namespace orbelune {

namespace {

// Where the sweep stops, the user sees the row selected and in view. Rows passed on the way
// are read straight from their items: moving the selection over each would repaint and
// scroll the list thousands of times a second.
void selectRow(QListWidget *list, int row)
{
    list->setCurrentRow(row);
    list->scrollToItem(list->item(row));
}

} // namespace

void MainWindow::onSweepTick()
{
    // Let a stop, a stage tick or a repaint in first; this is the tick's only yield. Whatever
    // runs there, or behind a message box, may close the window or even destroy it; the tick
    // then ends without touching it again.
    if (!yieldToEvents())
        return;

    // Each rejected row stops the run and is shown to the user. A malformed value lets the
    // sweep go on to report the rows after it; a row that cannot be read at all (a field
    // missing, a number too large) ends the tick at that row.
    const int rows = m_historyList->count();
    for (int i = 0; i < rows; ++i) {
        // Nothing may change the list during a run, but a message box hands control out.
        if (i >= m_historyList->count())
            break;
        const RowVerdict verdict = checkHistoryRow(m_historyList->item(i)->text());
        if (verdict == RowVerdict::Blank || verdict == RowVerdict::Passes)
            continue;

        selectRow(m_historyList, i);
        endRun();
        const MessageBoxRequest message { this, applicationTitle(),
                                          rowFormatMessage(m_historyList->item(i)->text()),
                                          MessageIcon::None };
        if (!yieldToEvents([&message] { showMessageBox(message); }) || verdict == RowVerdict::Error)
            return;
    }

    const int last = std::min(rows, int(m_historyList->count())) - 1;
    if (last >= 0)
        selectRow(m_historyList, last);
}

} // namespace orbelune
