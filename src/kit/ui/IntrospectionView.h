#pragma once

#include "kit/ui/TargetViewSelector.h"

#include <functional>
#include <type_traits>

// The hidden, zero-size marker that a customisation search starts from. It never takes clicks.
class IntrospectionView : public QWidget
{
    Q_OBJECT

public:
    // `targetName` names the wanted type in the accessible name, "IntrospectionView<QLineEdit>".
    IntrospectionView(const QString &targetName, QWidget *host);
};

// Holds the marker beside the widget to customise; after each layout or polish of the parent they
// share, it runs the search on the next turn of the event loop and hands a hit to the callback, so
// the callback must be safe to run many times.
class IntrospectionViewHost : public QWidget
{
    Q_OBJECT

public:
    using Search = std::function<QWidget *(const QWidget *marker)>;
    using Customize = std::function<void(QWidget *target)>;

    IntrospectionViewHost(QWidget *beside, const QString &targetName, Search search, Customize customize);

    IntrospectionView *marker() const { return m_marker; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scheduleSearch();

    IntrospectionView *m_marker;
    Search m_search;
    Customize m_customize;
    bool m_scheduled = false;
};

// Customises the first T that `selector` finds from a marker placed beside `beside`. Returns the
// host, which lives as long as the parent of `beside`, or as `beside` itself when it has none.
template<typename T>
IntrospectionViewHost *introspect(
    QWidget *beside, T *(*selector)(const QWidget *), std::function<void(T *)> customize)
{
    return new IntrospectionViewHost(
        beside, QString::fromLatin1(T::staticMetaObject.className()),
        [selector](const QWidget *marker) -> QWidget * { return selector(marker); },
        [customize = std::move(customize)](QWidget *target) { customize(static_cast<T *>(target)); });
}
