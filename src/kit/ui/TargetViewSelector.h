#pragma once

#include "kit/ui/Introspect.h"

// Strategies that find the widget to customise from an introspection marker. The marker sits in
// a host placed beside the widget; the "sibling" strategies look at the host's earlier siblings,
// the "ancestor" ones above the marker.
namespace TargetViewSelector {

template<typename T>
T *siblingContaining(const QWidget *marker)
{
    const QWidget *host = Introspect::findViewHost(marker);
    return host ? Introspect::previousSibling<T>(host, Introspect::SiblingMatch::containing) : nullptr;
}

template<typename T>
T *siblingOfType(const QWidget *marker)
{
    const QWidget *host = Introspect::findViewHost(marker);
    return host ? Introspect::previousSibling<T>(host, Introspect::SiblingMatch::ofType) : nullptr;
}

// The first strategy's hit, else the second's.
template<typename T, T *(*First)(const QWidget *), T *(*Second)(const QWidget *)>
T *firstOf(const QWidget *marker)
{
    T *hit = First(marker);
    return hit ? hit : Second(marker);
}

template<typename T>
constexpr auto siblingContainingOrAncestor = &firstOf<T, siblingContaining<T>, Introspect::findAncestor<T>>;
template<typename T>
constexpr auto siblingOfTypeOrAncestor = &firstOf<T, siblingOfType<T>, Introspect::findAncestor<T>>;
template<typename T>
constexpr auto siblingContainingOrAncestorOrAncestorChild
    = &firstOf<T, siblingContaining<T>, Introspect::findAncestorOrAncestorChild<T>>;
template<typename T>
constexpr auto ancestorOrSiblingContaining = &firstOf<T, Introspect::findAncestor<T>, siblingContaining<T>>;
template<typename T>
constexpr auto ancestorOrSiblingOfType = &firstOf<T, Introspect::findAncestor<T>, siblingOfType<T>>;

} // namespace TargetViewSelector
