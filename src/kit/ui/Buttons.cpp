#include "kit/ui/Buttons.h"

#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/KitTexts.h"
#include "kit/ui/SymbolImage.h"
#include "platform/events/MainThread.h"

#include <QCoreApplication>

namespace Buttons {

Quit::Quit(bool showName, QWidget *parent)
    : QPushButton(title(showName), parent)
{
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(this, &QPushButton::clicked, this, [] { Events::runOnMain(&FoundationHooks::terminate); });
}

QString Quit::title(bool showName)
{
    // One translatable text with a placeholder, so a language may put the name first.
    return showName ? QCoreApplication::translate("Buttons", "Quit %1").arg(FoundationHooks::appName())
                    : KitTexts::quit();
}

} // namespace Buttons

void applyIconButtonStyle(QToolButton *button, int padding)
{
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setToolTip(button->text());
    button->setAccessibleName(button->text());
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: %1px; }").arg(padding));
}

CloseOrClearButton::CloseOrClearButton(const QString &title, std::function<void()> action, QWidget *parent)
    : QToolButton(parent)
{
    setText(title);
    setIcon(SymbolImage::systemSymbol(QStringLiteral("xmark.circle.fill")).value_or(QIcon()));
    applyIconButtonStyle(this, 0);
    connect(this, &QToolButton::clicked, this, [action = std::move(action)] {
        if (action) {
            action();
        }
    });
}
