#pragma once

#include "kit/foundation/errors/Error.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class QWidget;

// The message an error alert shows under its title, the description, which it does not repeat: the
// failure reason when the description does not already hold it, and the recovery suggestion,
// separated by a blank line.
QString presentableMessage(const Error &error);

// An alert bound to an error that a view holds: while an error is set, the alert shows it over
// the view (title: its description; message: presentableMessage; one button per recovery option,
// handed to its recovery attempter); dismissing it sets the error back to none.
class ErrorAlert : public QObject
{
    Q_OBJECT

public:
    explicit ErrorAlert(QWidget *view);

    ErrorPtr error() const { return m_error; }
    void setError(ErrorPtr error);
    QMessageBox *alert() const { return m_alert; }

Q_SIGNALS:
    void errorChanged();

private:
    void dismissed();

    QWidget *m_view;
    ErrorPtr m_error;
    QPointer<QMessageBox> m_alert;
};
