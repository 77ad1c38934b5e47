#pragma once

#include <QLabel>

#include <functional>

namespace orbelune {

// A label that reacts to a click, for the program's link texts; to assistive technology it is
// a link that can be pressed.
class ClickLabel : public QLabel
{
public:
    explicit ClickLabel(QWidget *parent = nullptr);
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

    void setOnClick(std::function<void()> onClick) { m_onClick = std::move(onClick); }

    // What a click does, for a keyboard or a screen reader to do the same.
    void click()
    {
        if (m_onClick)
            m_onClick();
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::function<void()> m_onClick;
};

} // namespace orbelune
