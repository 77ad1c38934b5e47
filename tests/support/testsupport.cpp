#include "testsupport.h"

#include "app/form1.h"
#include "app/links.h"
#include "widgets/svgpicture.h"
#include "widgets/taggedtimer.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>

#include <utility>

namespace orbelune::testing {

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
    m_form = new Form1;
    m_seams.emplace();
    m_dir.emplace();
}

void WindowTest::cleanup()
{
    delete m_form;
    m_seams.reset();
    m_dir.reset();
}

void WindowTest::openOrSave(bool save)
{
    if (save)
        m_form->savejg_Click();
    else
        m_form->data_Click();
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

void fill(QListWidget *pool, int from, int to)
{
    pool->clear();
    for (int i = from; i <= to; ++i)
        pool->addItem(QString::number(i));
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

void tick(Form1 *form, int times)
{
    for (int i = 0; i < times; ++i)
        form->TimSa_Timer();
}

void runToEnd(Form1 *form)
{
    form->Command1_Click();
    tick(form, 10);
}

QString runStateMismatch(const Form1 *form, bool running, const QString &tag)
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

} // namespace orbelune::testing
