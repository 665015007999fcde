#include "kit/ui/WindowViewModifier.h"

#include "kit/ui/WindowAccessor.h"

#include <QWidget>

WindowViewModifier::WindowViewModifier(QWidget *content, OnWindow onWindow)
    : QObject(content)
    , m_onWindow(std::move(onWindow))
{ }

WindowViewModifier *WindowViewModifier::apply(QWidget *content, OnWindow onWindow)
{
    auto *modifier = new WindowViewModifier(content, std::move(onWindow));
    WindowAccessor::attach(content, [modifier = QPointer(modifier)](QWidget *window) {
        if (modifier) {
            modifier->m_window = window;
            modifier->m_onWindow(window);
        }
    });
    return modifier;
}
