#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

// Searches of the widget tree for the first widget of a wanted type. A widget's children are its
// child widgets in stacking order (QObject::children), bottom first.
namespace Introspect {

// The child widgets of `parent` in order.
QList<QWidget *> childWidgets(const QWidget *parent);
// The position of `widget` among its parent's child widgets; none without a parent.
std::optional<qsizetype> siblingIndex(const QWidget *widget);

// Depth first, each child before its own children; `root` itself is never returned.
template<typename T>
T *findChild(const QWidget *root)
{
    for (QWidget *child : childWidgets(root)) {
        if (auto *hit = qobject_cast<T *>(child)) {
            return hit;
        }
        if (auto *hit = findChild<T>(child)) {
            return hit;
        }
    }
    return nullptr;
}

// Among the direct children of `root` (each itself or the first match inside it), the only one,
// or with several the first whose rectangle holds the centre of `from`.
template<typename T>
T *findChildUsingFrame(const QWidget *root, const QWidget *from)
{
    QList<T *> candidates;
    for (QWidget *child : childWidgets(root)) {
        auto *hit = qobject_cast<T *>(child);
        if (!hit) {
            hit = findChild<T>(child);
        }
        if (hit) {
            candidates.append(hit);
        }
    }
    if (candidates.size() < 2) {
        return candidates.value(0);
    }
    const QPoint centre(from->width() / 2, from->height() / 2);
    for (T *candidate : candidates) {
        if (candidate->rect().contains(candidate->mapFromGlobal(from->mapToGlobal(centre)))) {
            return candidate;
        }
    }
    return nullptr;
}

enum class SiblingMatch { ofType, containing };

// Before `from`, nearest first: the sibling itself when it is a T (ofType) or the first T inside
// it (containing).
template<typename T>
T *previousSibling(const QWidget *from, SiblingMatch match)
{
    const auto index = siblingIndex(from);
    if (!index || *index == 0) {
        return nullptr;
    }
    const QList<QWidget *> siblings = childWidgets(from->parentWidget());
    for (qsizetype i = *index - 1; i >= 0; --i) {
        T *hit = match == SiblingMatch::ofType ? qobject_cast<T *>(siblings[i]) : findChild<T>(siblings[i]);
        if (hit) {
            return hit;
        }
    }
    return nullptr;
}

// From `from` itself onwards to the last sibling.
template<typename T>
T *nextSibling(const QWidget *from, SiblingMatch match)
{
    const auto index = siblingIndex(from);
    if (!index) {
        return nullptr;
    }
    const QList<QWidget *> siblings = childWidgets(from->parentWidget());
    for (qsizetype i = *index; i < siblings.size(); ++i) {
        T *hit = match == SiblingMatch::ofType ? qobject_cast<T *>(siblings[i]) : findChild<T>(siblings[i]);
        if (hit) {
            return hit;
        }
    }
    return nullptr;
}

// The nearest ancestor (not `from` itself) that is a T.
template<typename T>
T *findAncestor(const QWidget *from)
{
    for (QWidget *ancestor = from->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *hit = qobject_cast<T *>(ancestor)) {
            return hit;
        }
    }
    return nullptr;
}

// Upwards from the parent: each ancestor when it is a T, else its child chosen by frame.
template<typename T>
T *findAncestorOrAncestorChild(const QWidget *from)
{
    for (QWidget *ancestor = from->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *hit = qobject_cast<T *>(ancestor)) {
            return hit;
        }
        if (auto *hit = findChildUsingFrame<T>(ancestor, from)) {
            return hit;
        }
    }
    return nullptr;
}

// The nearest ancestor whose class name contains the text (case-sensitive).
QWidget *findAncestorNamed(const QWidget *from, const QString &namePart);
inline QWidget *findHostingView(const QWidget *from)
{
    return findAncestorNamed(from, QStringLiteral("HostingView"));
}
inline QWidget *findViewHost(const QWidget *from)
{
    return findAncestorNamed(from, QStringLiteral("ViewHost"));
}

} // namespace Introspect
