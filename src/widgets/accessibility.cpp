#include "widgets/accessibility.h"

#include "widgets/clicklabel.h"
#include "widgets/svgpicture.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QShortcut>

namespace orbelune {

namespace {

// A label or picture that opens a web address when clicked.
class AccessibleLink : public QAccessibleWidget
{
public:
    explicit AccessibleLink(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Link)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (auto *label = qobject_cast<QLabel *>(widget()))
                return label->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList { pressAction() } + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        // Pressed as the mouse presses it: the left button let go over its middle.
        const QPointF middle = QRectF(widget()->rect()).center();
        QMouseEvent release(QEvent::MouseButtonRelease, middle, widget()->mapToGlobal(middle),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &release);
    }
};

QAccessibleInterface *controlFactory(const QString &, QObject *object)
{
    if (qobject_cast<ClickLabel *>(object) || qobject_cast<ClickPicture *>(object))
        return new AccessibleLink(static_cast<QWidget *>(object));
    if (auto *picture = qobject_cast<SvgPicture *>(object))
        return new QAccessibleWidget(picture, QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleControls()
{
    static const bool installed = (QAccessible::installFactory(controlFactory), true);
    Q_UNUSED(installed);
}

void openMenusWithF10(QMainWindow *window)
{
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_F10), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [window] {
        QMenuBar *bar = window->menuBar();
        // A native menu bar (macOS) has the system's own keys.
        if (bar->isNativeMenuBar() || bar->actions().isEmpty())
            return;
        bar->setActiveAction(bar->actions().constFirst());
    });
}

} // namespace orbelune
