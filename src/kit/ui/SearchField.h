#pragma once

#include "kit/foundation/objects/Binding.h"

#include <QLineEdit>

#include <optional>

// A search field kept in step with a bound text, which takes the keyboard focus as
// soon as it is placed in a window.
class SearchField : public QLineEdit
{
    Q_OBJECT
public:
    struct Properties
    {
        bool drawsBackground = true;
        std::optional<QString> placeholder = std::nullopt;
        // Points; none leaves the font as it is.
        std::optional<double> fontSize = std::nullopt;
        // No frame and no background of its own.
        bool isPlainStyle = false;
    };

    SearchField(Binding<QString> text, Properties properties, QWidget *parent = nullptr);

    // Applies the properties and the bound text; text equal to the shown one is not
    // written again, so the cursor and selection stay.
    void update(const Properties &properties);
    void update() { update(m_properties); }

protected:
    bool event(QEvent *event) override;

private:
    Binding<QString> m_text;
    Properties m_properties;
    Events::AnyCancellable m_observation;
    QWidget *m_focusedInWindow = nullptr;
};
