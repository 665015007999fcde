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
    // The box with a label widget of the caller's beside it, in place of a title; the toggle
    // takes the label, and a click on it toggles the box as a click on a title would.
    Toggle(const Key<bool> &key, QWidget *label, QWidget *parent = nullptr);
    ~Toggle() override;

    // Replaces any earlier action.
    Toggle &onChange(std::function<void(bool)> action);

    QWidget *label() const { return m_label; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool hitButton(const QPoint &position) const override;

private:
    void storedValueMayHaveChanged();

    QWidget *m_label = nullptr;

    Observable<bool> m_observable;
    bool m_shownValue;
    std::function<void(bool)> m_action;
    Events::AnyCancellable m_subscription;
};

} // namespace Defaults
