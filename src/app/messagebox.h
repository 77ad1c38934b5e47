#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace orbelune {

// The program's message boxes: modal, one OK button, captioned with the application title.
// A test cannot click a real box, so it swaps in a handler of its own with
// setMessageBoxHandler() and restores the real one with setMessageBoxHandler({}).
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

// An empty handler restores the real message box.
void setMessageBoxHandler(MessageBoxHandler handler);

// The application title, the caption of every message box.
QString applicationTitle();

} // namespace orbelune
