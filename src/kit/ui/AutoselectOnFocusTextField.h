#pragma once

#include <QLineEdit>

// A text field that selects all of its text whenever it takes the focus, also by a click, so
// typing replaces the text.
class AutoselectOnFocusTextField : public QLineEdit
{
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override;
};
