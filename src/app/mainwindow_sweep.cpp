// The validation sweep over the history list, once every tick of the sweep timer during a run.

#include "app/mainwindow.h"

#include "app/failuretext.h"
#include "app/messagebox.h"
#include "history/historyrow.h"

#include <QListWidget>

#include <algorithm>

namespace orbelune {

namespace {

// Where the sweep stops, the row is selected and in view. Rows passed are read straight from
// their items: selecting each would repaint and scroll the list thousands of times a second.
void selectRow(QListWidget *list, int row)
{
    list->setCurrentRow(row);
    list->scrollToItem(list->item(row));
}

} // namespace

void MainWindow::onSweepTick()
{
    // A stop, a stage tick or a repaint comes first, in the tick's only yield; what runs there
    // or behind a message box may close or destroy the window, and the tick then just ends.
    if (!yieldToEvents())
        return;

    // Each rejected row stops the run and is shown. After a malformed value the sweep goes on
    // to report later rows; a row that cannot be read at all (a field missing, a number too
    // large) ends the tick there.
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
