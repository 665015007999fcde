#include "kit/ui/Introspect.h"

namespace Introspect {

QList<QWidget *> childWidgets(const QWidget *parent)
{
    QList<QWidget *> result;
    if (!parent) {
        return result;
    }
    for (QObject *child : parent->children()) {
        if (child->isWidgetType()) {
            result.append(static_cast<QWidget *>(child));
        }
    }
    return result;
}

std::optional<qsizetype> siblingIndex(const QWidget *widget)
{
    const qsizetype index = childWidgets(widget->parentWidget()).indexOf(const_cast<QWidget *>(widget));
    return index < 0 ? std::nullopt : std::optional(index);
}

QWidget *findAncestorNamed(const QWidget *from, const QString &namePart)
{
    for (QWidget *ancestor = from->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (QString::fromLatin1(ancestor->metaObject()->className()).contains(namePart)) {
            return ancestor;
        }
    }
    return nullptr;
}

} // namespace Introspect
