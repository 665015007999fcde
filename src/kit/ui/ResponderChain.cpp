#include "kit/ui/ResponderChain.h"

#include <QWidget>

std::vector<QObject *> responderChain(QObject *responder)
{
    std::vector<QObject *> chain;
    for (QObject *next = responder; next; next = next->parent()) {
        chain.push_back(next);
        if (next->isWidgetType() && static_cast<QWidget *>(next)->isWindow()) {
            break;
        }
    }
    return chain;
}
