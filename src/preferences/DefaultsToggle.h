#pragma once

#include "preferences/DefaultsObservable.h"

#include <QCheckBox>

#include <functional>

namespace Defaults {

// A check box bound to a Boolean key. Checking it stores the value; the box follows the stored
// value wherever it is changed, and the action runs after each change of it (on the GUI
// thread, on a later turn of its event loop), also for changes made elsewhere.
class Toggle : public QCheckBox
{
    Q_OBJECT

public:
    // The title is shown as it stands: no mnemonic is made of an ampersand.
    Toggle(const QString &title, const Key<bool> &key, QWidget *parent = nullptr);
    ~Toggle() override;

    // Replaces any earlier action.
    Toggle &onChange(std::function<void(bool)> action);

private:
    void storedValueMayHaveChanged();

    Observable<bool> m_observable;
    bool m_shownValue;
    std::function<void(bool)> m_action;
    Events::AnyCancellable m_subscription;
};

} // namespace Defaults
