// The validation sweep over the history list, once every tick of Timer1 during a run.

#include "app/form1.h"

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

void Form1::Timer1_Timer()
{
    // Let a stop, a stage tick or a repaint in first; this is the tick's only yield. Whatever
    // runs there, or behind a message box, may close the window or even destroy it; the tick
    // then ends without touching it again.
    if (!yieldToEvents())
        return;

    // Each rejected row stops the run and is shown to the user. A malformed value lets the
    // sweep go on to report the rows after it; a row that cannot be read at all (a field
    // missing, a number too large) ends the tick at that row.
    const int rows = List1->count();
    for (int i = 0; i < rows; ++i) {
        // Nothing may change the list during a run, but a message box hands control out.
        if (i >= List1->count())
            break;
        const RowVerdict verdict = checkHistoryRow(List1->item(i)->text());
        if (verdict == RowVerdict::Blank || verdict == RowVerdict::Passes)
            continue;

        selectRow(List1, i);
        stopfx_Click();
        const MessageBoxRequest message { this, applicationTitle(),
                                          rowFormatMessage(List1->item(i)->text()),
                                          MessageIcon::None };
        if (!yieldToEvents([&message] { showMessageBox(message); }) || verdict == RowVerdict::Error)
            return;
    }

    const int last = std::min(rows, int(List1->count())) - 1;
    if (last >= 0)
        selectRow(List1, last);
}

} // namespace orbelune
