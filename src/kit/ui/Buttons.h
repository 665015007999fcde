#pragma once

#include <QPushButton>
#include <QToolButton>

#include <functional>

// Ready-made buttons with fixed looks.
namespace Buttons {

// "Quit" or "Quit <application name>", also on Ctrl+Q while its window is active.
// The press returns at once; quitting starts on the next turn of the event loop
// and goes through the application's quit confirmation.
class Quit : public QPushButton
{
    Q_OBJECT
public:
    explicit Quit(bool showName, QWidget *parent = nullptr);

    static QString title(bool showName);
};

} // namespace Buttons

// A borderless button that shows only its icon; its text stays the accessible
// name and tooltip.
void applyIconButtonStyle(QToolButton *button, int padding);

// A small borderless circled-cross button that runs `action` when pressed.
class CloseOrClearButton : public QToolButton
{
    Q_OBJECT
public:
    CloseOrClearButton(const QString &title, std::function<void()> action, QWidget *parent = nullptr);
};
