#pragma once

// What the tests share: scripted random values, recorders behind the four seams, a disk that
// fills up, list and file helpers, and an analysis run driven by its tick handlers.

#include "app/form1.h"
#include "app/links.h"
#include "app/messagebox.h"
#include "draw/randomsource.h"
#include "history/filedialogs.h"
#include "widgets/svgpicture.h"
#include "widgets/taggedtimer.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <functional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace orbelune;

// Hands out the values a test scripts, in order, then repeats the last one. A test may also
// watch each call, for instance to look at the window in the middle of a draw.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<float> values, std::function<void()> onNext = {})
        : m_values(std::move(values))
        , m_onNext(std::move(onNext))
    {
    }
    float next() override
    {
        if (m_onNext)
            m_onNext();
        ++m_calls;
        return m_values.isEmpty() ? 0.0f : m_values.value(m_calls - 1, m_values.last());
    }
    int calls() const { return m_calls; }

private:
    QList<float> m_values;
    std::function<void()> m_onNext;
    int m_calls = 0;
};

// Answers the message box, the file dialogs and the web links for as long as it lives, and
// records what they were asked; the real ones are back when it goes.
struct Seams
{
    QList<MessageBoxRequest> messages;
    std::function<void(const MessageBoxRequest &)> onMessage; // called after recording
    QList<FileDialogRequest> dialogs;
    QString answer; // what every file dialog answers; empty text is a cancel
    std::function<void()> whileDialogOpen; // runs once, inside the next dialog
    QList<QUrl> opened;
    bool linksOpen = true;

    Seams()
    {
        setMessageBoxHandler([this](const MessageBoxRequest &request) {
            messages.append(request);
            if (onMessage)
                onMessage(request);
        });
        setFileDialogHandler([this](const FileDialogRequest &request) {
            dialogs.append(request);
            if (const auto whileOpen = std::exchange(whileDialogOpen, nullptr))
                whileOpen();
            return answer;
        });
        setUrlOpener([this](const QUrl &url) {
            opened.append(url);
            return linksOpen;
        });
    }
    ~Seams()
    {
        setMessageBoxHandler({});
        setFileDialogHandler({});
        setUrlOpener({});
    }
    Seams(const Seams &) = delete;
    Seams &operator=(const Seams &) = delete;
    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.last().text; }
};

#ifdef Q_OS_UNIX
// A disk that is full after the given number of bytes: writes past it fail with EFBIG instead
// of killing the process. Limit and signal are restored on leaving the scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isActive() const { return m_active; }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
#endif

inline QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

inline void fill(QListWidget *pool, int from, int to)
{
    pool->clear();
    for (int i = from; i <= to; ++i)
        pool->addItem(QString::number(i));
}

inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// True once the window is shown and has the keyboard.
inline bool showActive(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

inline void tick(Form1 *form, int times)
{
    for (int i = 0; i < times; ++i)
        form->TimSa_Timer();
}

// A whole analysis run, its ten stages given by calling the stage tick.
inline void runToEnd(Form1 *form)
{
    form->Command1_Click();
    tick(form, 10);
}

// The differences between the window and one row of the state table, or empty text. Running,
// every stage from 0 to 9 is allowed unless a tag is given; idle, the tag is "0".
inline QString runStateMismatch(const Form1 *form, bool running, const QString &tag = {})
{
    QStringList wrong;
    const QString shown = form->TimSa->tag();
    const int stage = shown.toInt();
    if (!tag.isEmpty() ? shown != tag
                       : shown != QString::number(stage) || stage < 0 || stage > (running ? 9 : 0))
        wrong << "tag " + shown;
    if (form->TimSa->isActive() != running)
        wrong << "TimSa";
    if (form->Timer1->isActive() != running)
        wrong << "Timer1";
    if (form->PicFX->isHidden() == running)
        wrong << "PicFX";
    const bool hourglass
        = form->testAttribute(Qt::WA_SetCursor) && form->cursor().shape() == Qt::WaitCursor;
    if (hourglass != running)
        wrong << "pointer";
    if (form->Command1->isEnabled() == running)
        wrong << "Command1";
    for (const QAction *locked : { form->start, form->data, form->savejg })
        if (locked->isEnabled() == running)
            wrong << locked->objectName();
    for (const QAction *free : { form->stopfx, form->exit, form->about, form->webgo })
        if (!free->isEnabled())
            wrong << free->objectName();
    if (form->isRunActive() != running)
        wrong << "isRunActive";
    return wrong.join(", ");
}

#define VERIFY_RUN_STATE(form, ...)                                                                \
    do {                                                                                           \
        const QString mismatch = runStateMismatch(form, __VA_ARGS__);                              \
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));                                        \
    } while (false)
