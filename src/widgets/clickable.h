#pragma once

#include <QMouseEvent>
#include <QWidget>

#include <functional>

namespace orbelune {

// What the program's link texts and link pictures share: a click that runs one action, from
// the mouse, the keyboard or a screen reader alike.
class Clickable
{
public:
    virtual ~Clickable() = default;

    void setOnClick(std::function<void()> onClick) { m_onClick = std::move(onClick); }

    void click()
    {
        if (m_onClick)
            m_onClick();
    }

protected:
    // Like a button: a click counts where the press was let go over the control. Returns
    // whether the release was taken as a click.
    bool releaseClicks(const QWidget *control, const QMouseEvent *event)
    {
        if (event->button() != Qt::LeftButton
            || !control->rect().contains(event->position().toPoint()) || !m_onClick)
            return false;
        m_onClick();
        return true;
    }

private:
    std::function<void()> m_onClick;
};

} // namespace orbelune
