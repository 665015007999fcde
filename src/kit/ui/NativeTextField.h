#pragma once

#include "kit/foundation/objects/Binding.h"

#include <QFont>
#include <QLineEdit>

#include <optional>

// A one-line text field kept in step with a bound text that, when asked, takes the
// keyboard focus once after it first appears in a window and never again, so it
// does not pull the focus back from where the user moved it.
class NativeTextField : public QLineEdit
{
    Q_OBJECT
public:
    struct Properties
    {
        std::optional<QString> placeholder = std::nullopt;
        std::optional<QFont> font = std::nullopt;
        bool isFirstResponder = false;
        bool roundedStyle = false;
    };

    NativeTextField(Binding<QString> text, Properties properties, QWidget *parent = nullptr);

    // Applies the properties and the bound text, then tries the one-time focus on a
    // later turn of the event loop.
    void update(const Properties &properties);
    void update() { update(m_properties); }

    bool didBecomeFirstResponder() const { return m_didBecomeFirstResponder; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void takeFocusOnce();

    Binding<QString> m_text;
    Properties m_properties;
    Events::AnyCancellable m_observation;
    bool m_didBecomeFirstResponder = false;
};
