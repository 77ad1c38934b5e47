#include "widgets/accessibility.h"

#include "widgets/clicklabel.h"
#include "widgets/svgpicture.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include <functional>

namespace orbelune {

namespace {

// A label or picture that opens a web address when clicked.
class AccessibleLink : public QAccessibleWidget
{
public:
    AccessibleLink(QWidget *widget, std::function<void()> press)
        : QAccessibleWidget(widget, QAccessible::Link)
        , m_press(std::move(press))
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
        m_press();
    }

private:
    std::function<void()> m_press;
};

QAccessibleInterface *controlFactory(const QString &, QObject *object)
{
    if (auto *label = qobject_cast<ClickLabel *>(object))
        return new AccessibleLink(label, [label] { label->click(); });
    if (auto *picture = qobject_cast<ClickPicture *>(object))
        return new AccessibleLink(picture, [picture] { picture->click(); });
    if (auto *picture = qobject_cast<SvgPicture *>(object))
        return new QAccessibleWidget(picture, QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlFactory);
        return true;
    }();
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
