#include "preferences/DefaultsToggle.h"

#include <QSignalBlocker>

namespace Defaults {

namespace {

QString verbatim(QString title)
{
    return title.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

Toggle::Toggle(const QString &title, const Key<bool> &key, QWidget *parent)
    : QCheckBox(verbatim(title), parent)
    , m_observable(key)
    , m_shownValue(m_observable.value())
{
    setChecked(m_shownValue);
    connect(this, &QCheckBox::toggled, this, [this](bool checked) { m_observable.setValue(checked); });
    m_subscription = m_observable.objectWillChange().sink([this] { storedValueMayHaveChanged(); });
}

Toggle::~Toggle() = default;

Toggle &Toggle::onChange(std::function<void(bool)> action)
{
    m_action = std::move(action);
    return *this;
}

void Toggle::storedValueMayHaveChanged()
{
    // The signal also comes just before a write of our own, when nothing has changed yet.
    const bool stored = m_observable.value();
    if (stored == m_shownValue) {
        return;
    }
    m_shownValue = stored;
    {
        const QSignalBlocker blocker(this);
        setChecked(stored);
    }
    if (m_action) {
        m_action(stored);
    }
}

} // namespace Defaults
