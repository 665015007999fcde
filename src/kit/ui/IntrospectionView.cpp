#include "kit/ui/IntrospectionView.h"

#include "kit/ui/Introspect.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>

IntrospectionView::IntrospectionView(const QString &targetName, QWidget *host)
    : QWidget(host)
{
    setAccessibleName(QStringLiteral("IntrospectionView<%1>").arg(targetName));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide();
}

IntrospectionViewHost::IntrospectionViewHost(
    QWidget *beside, const QString &targetName, Search search, Customize customize)
    // A widget without a parent takes the host itself, so that the host goes with it instead of
    // staying behind as a hidden window of its own.
    : QWidget(beside->parentWidget() ? beside->parentWidget() : beside)
    , m_marker(new IntrospectionView(targetName, this))
    , m_search(std::move(search))
    , m_customize(std::move(customize))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide();
    // Right after `beside` among the siblings, so the nearest earlier sibling is the widget itself.
    const QList<QWidget *> siblings = Introspect::childWidgets(parentWidget());
    const qsizetype index = siblings.indexOf(beside);
    if (index >= 0 && index + 1 < siblings.size() && siblings[index + 1] != this) {
        stackUnder(siblings[index + 1]);
    }
    if (parentWidget()) {
        parentWidget()->installEventFilter(this);
    }
    scheduleSearch();
}

bool IntrospectionViewHost::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget()
        && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Polish
            || event->type() == QEvent::Show)) {
        scheduleSearch();
    }
    return false;
}

void IntrospectionViewHost::scheduleSearch()
{
    if (m_scheduled) {
        return;
    }
    m_scheduled = true;
    // The tree is complete only once the current round of layout has run.
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        if (QWidget *target = m_search(m_marker)) {
            m_customize(target);
        }
    });
}
