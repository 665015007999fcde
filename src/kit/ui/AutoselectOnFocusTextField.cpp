#include "kit/ui/AutoselectOnFocusTextField.h"

#include <QTimer>

void AutoselectOnFocusTextField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // On the next turn: a click places the cursor after the focus arrives and would undo it.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus()) {
            selectAll();
        }
    });
}
