#pragma once

#include <QLabel>

#include <functional>

namespace orbelune {

// A label that reacts to a click, for the program's link texts.
class ClickLabel : public QLabel
{
public:
    using QLabel::QLabel;

    void setOnClick(std::function<void()> onClick) { m_onClick = std::move(onClick); }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::function<void()> m_onClick;
};

} // namespace orbelune
