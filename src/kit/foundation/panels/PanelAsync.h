#pragma once

#include <QCoro/QCoroTask>

class QFileDialog;
class QWidget;

// Shows the panel and finishes with its answer (QDialog::Accepted or QDialog::Rejected).
// With a window, the panel becomes a window-modal sheet of it (and so its child: create the
// panel on the heap); without, a free-standing panel. Destroying the window or the panel
// finishes with Rejected. Continues on the GUI thread.
QCoro::Task<int> beginAsync(QFileDialog *panel, QWidget *window = nullptr);
