#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QAbstractButton;
class QCheckBox;
class QMessageBox;
class QWidget;

enum class AlertStyle { Warning, Informational, Critical };

struct AlertOptions
{
    QString title;
    std::optional<QString> message;
    // Shown in a scrollable read-only text view.
    std::optional<QString> detailText;
    AlertStyle style = AlertStyle::Warning;
    // None shows the program's icon, with a caution badge in the critical style.
    QIcon icon;
    // In this order; none gives the single "OK" button.
    QStringList buttonTitles;
    // None leaves Return to the first button; -1 (or any index without a button) gives it to none.
    std::optional<int> defaultButtonIndex;
    // Marked destructive; Return never answers them.
    QList<int> destructiveButtonIndexes;
    std::optional<int> minimumWidth;
    bool showsSuppressionButton = false;
    std::optional<QString> suppressionButtonTitle;
};

// Builds the alert without showing it, application-modal, or window-modal on `parent`.
QMessageBox *makeAlert(const AlertOptions &options, QWidget *parent = nullptr);

// The alert's buttons in the order of their titles.
QList<QAbstractButton *> alertButtons(const QMessageBox *alert);
// Whether the button was marked destructive.
bool isDestructive(const QAbstractButton *button);

// Runs the alert modally and deletes it; answers the index of the chosen button, or -1 when it
// was closed without one.
int runAlertModal(QMessageBox *alert);

// Shows an alert from a title, a message and button titles on a later turn of the GUI thread's
// event loop, modally, window-modal on `parent` when it still exists then. Returns at once; any
// thread.
void presentAlertOnMainQueue(
    QWidget *parent, const QString &title, const QString &message, const QStringList &buttonTitles = {});
