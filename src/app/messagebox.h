#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace orbelune {

// The program's message boxes: modal, one OK button, captioned with the application title. A
// test cannot click a real box, so it sets a handler of its own; an empty one restores it.
enum class MessageIcon { None, Warning };

struct MessageBoxRequest
{
    QWidget *parent = nullptr;
    QString title;
    QString text; // lines joined by CR LF, as the program builds them
    MessageIcon icon = MessageIcon::None;
};

using MessageBoxHandler = std::function<void(const MessageBoxRequest &)>;

// Shows the box and returns when the user has closed it.
void showMessageBox(const MessageBoxRequest &request);

void setMessageBoxHandler(MessageBoxHandler handler);

// The application title, the caption of every message box.
QString applicationTitle();

} // namespace orbelune
