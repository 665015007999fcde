#include "preferences/DefaultsToggle.h"

#include "kit/foundation/text/StringHelpers.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>

namespace Defaults {

Toggle::Toggle(const QString &title, const Key<bool> &key, QWidget *parent)
    : QCheckBox(withLiteralAmpersands(title), parent)
    , m_observable(key)
    , m_shownValue(m_observable.value())
{
    setChecked(m_shownValue);
    connect(this, &QCheckBox::toggled, this, [this](bool checked) { m_observable.setValue(checked); });
    m_subscription = m_observable.objectWillChange().sink([this] { storedValueMayHaveChanged(); });
}

Toggle::Toggle(const Key<bool> &key, QWidget *label, QWidget *parent)
    : Toggle(QString(), key, parent)
{
    m_label = label;
    QStyleOptionButton option;
    initStyleOption(&option);
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this)
        + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(indicator, 0, 0, 0);
    layout->addWidget(label);
}

Toggle::~Toggle() = default;

QSize Toggle::sizeHint() const
{
    return m_label ? layout()->sizeHint().expandedTo(QCheckBox::sizeHint()) : QCheckBox::sizeHint();
}

QSize Toggle::minimumSizeHint() const
{
    return m_label ? layout()->minimumSize().expandedTo(QCheckBox::minimumSizeHint())
                   : QCheckBox::minimumSizeHint();
}

bool Toggle::hitButton(const QPoint &position) const
{
    return m_label ? rect().contains(position) : QCheckBox::hitButton(position);
}

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
