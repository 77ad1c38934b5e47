#include "testsupport.h"

#include "app/links.h"
#include "app/mainwindow.h"
#include "widgets/svgpicture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>

#include <set>
#include <utility>

namespace orbelune::testing {

const MainWindowUi &ui(const MainWindow *window)
{
    static QPointer<const MainWindow> found;
    static MainWindowUi parts {};
    if (found == window)
        return parts;
    found = window;
    const auto numbered = [window](auto *&slot, const char *name, int p) {
        using T = std::remove_pointer_t<std::remove_reference_t<decltype(slot)>>;
        slot = child<T>(window, (name + QByteArray::number(p)).constData());
    };
    for (int p = 0; p < 7; ++p) {
        numbered(parts.poolLists[std::size_t(p)], "poolList", p);
        numbered(parts.ballPictures[std::size_t(p)], "ballPicture", p);
        numbered(parts.ballCaptions[std::size_t(p)], "ballCaption", p);
    }
    parts.historyList = child<QListWidget>(window, "historyList");
    parts.startButton = child<QPushButton>(window, "startButton");
    parts.analysisBadge = child<QWidget>(window, "analysisBadge");
    parts.greetingLabel = child<QLabel>(window, "greetingLabel");
    parts.copyrightLink = child<QLabel>(window, "copyrightLink");
    parts.resultFrame = child<QWidget>(window, "resultFrame");
    parts.fileMenu = child<QMenu>(window, "fileMenu");
    parts.runMenu = child<QMenu>(window, "runMenu");
    parts.helpMenu = child<QMenu>(window, "helpMenu");
    parts.importAction = child<QAction>(window, "importAction");
    parts.saveAction = child<QAction>(window, "saveAction");
    parts.exitAction = child<QAction>(window, "exitAction");
    parts.startAction = child<QAction>(window, "startAction");
    parts.stopAction = child<QAction>(window, "stopAction");
    parts.aboutAction = child<QAction>(window, "aboutAction");
    parts.homePageAction = child<QAction>(window, "homePageAction");
    parts.stageTimer = child<QTimer>(window, "stageTimer");
    parts.sweepTimer = child<QTimer>(window, "sweepTimer");
    return parts;
}

int stage(const MainWindow *window)
{
    return window->property("stage").toInt();
}

void setStage(MainWindow *window, int stage)
{
    window->setProperty("stage", stage);
}

void fire(QTimer *timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

bool isRunning(const MainWindow *window)
{
    return !ui(window).startButton->isEnabled();
}

int drawnNumber(const MainWindow *window, int p)
{
    return ui(window).ballCaptions.at(std::size_t(p))->text().toInt();
}

ScriptedRandom::ScriptedRandom(QList<float> values, std::function<void()> onNext)
    : m_values(std::move(values))
    , m_onNext(std::move(onNext))
{
}

float ScriptedRandom::next()
{
    if (m_onNext)
        m_onNext();
    ++m_calls;
    return m_values.isEmpty() ? 0.0f : m_values.value(m_calls - 1, m_values.last());
}

Seams::Seams()
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

Seams::~Seams()
{
    setMessageBoxHandler({});
    setFileDialogHandler({});
    setUrlOpener({});
}

QString Seams::lastMessage() const
{
    return messages.isEmpty() ? QString() : messages.last().text;
}

void WindowTest::init()
{
    m_mainWindow = new MainWindow;
    m_seams.emplace();
    m_dir.emplace();
}

void WindowTest::cleanup()
{
    delete m_mainWindow;
    m_seams.reset();
    m_dir.reset();
}

void WindowTest::openOrSave(bool save)
{
    (save ? ui(m_mainWindow).saveAction : ui(m_mainWindow).importAction)->trigger();
}

QString rowInFreshProcess(const QProcessEnvironment &environment, QString *output)
{
    const QString function = QString::fromUtf8(QTest::currentTestFunction());
    const QString row = QString::fromUtf8(QTest::currentDataTag());
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                { row.isEmpty() ? function : function + ':' + row });
    if (!child.waitForFinished(90000))
        return QStringLiteral("the fresh process did not finish");
    const QString printed = QString::fromUtf8(child.readAll());
    if (output)
        *output = printed;
    const QString passed = QStringLiteral("::%1(%2)").arg(function, row);
    for (const QString &line : printed.split(u'\n')) {
        if (child.exitCode() == 0 && line.startsWith(QLatin1String("PASS   : "))
            && line.trimmed().endsWith(passed))
            return QString();
    }
    return printed;
}

QString fixture(const char *name)
{
    return QFileInfo(QStringLiteral(ORBELUNE_TEST_DATA "/") + QLatin1String(name))
        .absoluteFilePath();
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QRect inkBounds(QWidget *widget)
{
    const QImage drawn = widget->grab().toImage();
    const QRgb background = drawn.pixel(0, 0);
    QRect ink;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb pixel = drawn.pixel(x, y);
            if (std::abs(qAlpha(pixel) - qAlpha(background)) > 128
                || std::abs(qGray(pixel) - qGray(background)) > 128)
                ink |= QRect(x, y, 1, 1);
        }
    }
    const qreal scale = drawn.devicePixelRatio();
    return QRectF(ink.x() / scale, ink.y() / scale, ink.width() / scale, ink.height() / scale)
        .toAlignedRect();
}

bool showActive(QWidget *window)
{
    window->show();
    // Qt 6.5 deprecates the application's call for the widget's own; 6.4 needs the former.
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    window->activateWindow();
#else
    QApplication::setActiveWindow(window);
#endif
    return QTest::qWaitForWindowActive(window);
}

void tick(MainWindow *form, int times)
{
    for (int i = 0; i < times; ++i)
        fire(ui(form).stageTimer);
}

void runToEnd(MainWindow *form)
{
    ui(form).startButton->click();
    tick(form, 10);
}

QString runStateMismatch(const MainWindow *form, bool running, const QString &tag)
{
    QStringList wrong;
    const int stage = testing::stage(form);
    if (!tag.isEmpty() ? QString::number(stage) != tag : stage < 0 || stage > (running ? 9 : 0))
        wrong << "tag " + QString::number(stage);
    if (ui(form).stageTimer->isActive() != running)
        wrong << "stageTimer";
    if (ui(form).sweepTimer->isActive() != running)
        wrong << "sweepTimer";
    if (ui(form).analysisBadge->isHidden() == running)
        wrong << "analysisBadge";
    const bool hourglass
        = form->testAttribute(Qt::WA_SetCursor) && form->cursor().shape() == Qt::WaitCursor;
    if (hourglass != running)
        wrong << "pointer";
    if (ui(form).startButton->isEnabled() == running)
        wrong << "startButton";
    for (const QAction *locked :
         { ui(form).startAction, ui(form).importAction, ui(form).saveAction })
        if (locked->isEnabled() == running)
            wrong << locked->objectName();
    for (const QAction *free : { ui(form).stopAction, ui(form).exitAction, ui(form).aboutAction,
                                 ui(form).homePageAction })
        if (!free->isEnabled())
            wrong << free->objectName();
    if (isRunning(form) != running)
        wrong << "isRunActive";
    if (const QString balls = running ? ballRowMismatch(form, stage > 6 ? 7 : stage) : QString();
        !balls.isEmpty())
        wrong << balls;
    return wrong.join(", ");
}

QString ballRowMismatch(const MainWindow *form, int drawn)
{
    std::set<int> reds;
    for (int p = 0; p < 7; ++p) {
        const QLabel *caption = ui(form).ballCaptions[std::size_t(p)];
        const QListWidget *pool = ui(form).poolLists[std::size_t(p)];
        const int number = caption->text().toInt();
        const QString where = QStringLiteral("ball %1 (%2, %3 in its pool): ")
                                  .arg(p)
                                  .arg(caption->isHidden() ? "hidden" : caption->text())
                                  .arg(pool->count());
        if (caption->isHidden() != ui(form).ballPictures[std::size_t(p)]->isHidden())
            return where + "caption and picture disagree";
        if (drawn < 0 && (caption->isHidden() || caption->text() != "08" || pool->count() != 0))
            return where + "not as the window opens";
        if (drawn >= 0 && p >= drawn && (!caption->isHidden() || pool->count() != 0))
            return where + QStringLiteral("not hidden over an empty pool, %1 drawn").arg(drawn);
        if (drawn >= 0 && p < drawn
            && (caption->isHidden() || pool->count() != 1
                || pool->item(0)->text().toInt() != number))
            return where + "not the one survivor of its pool";
        if (p < drawn
            && (number < 1 || number > (p < 6 ? 33 : 16) || (p < 6 && !reds.insert(number).second)))
            return where + "out of range, or a red drawn twice";
    }
    return {};
}

} // namespace orbelune::testing
