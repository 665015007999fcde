#include "kit/services/ErrorAlert.h"

#include "kit/services/AlertBuilder.h"

#include "kit/collections/IndexedCollection.h"
#include "kit/foundation/errors/ErrorRecoveryAttempter.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/NSError.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QWidget>

QString presentableMessage(const Error &error)
{
    QStringList parts;
    if (const auto reason = error.failureReason();
        reason && !reason->isEmpty() && !error.localizedDescription().contains(*reason)) {
        parts.append(*reason);
    }
    if (const auto suggestion = error.recoverySuggestion(); suggestion && !suggestion->isEmpty()) {
        parts.append(*suggestion);
    }
    return parts.join(QStringLiteral("\n\n"));
}

ErrorAlert::ErrorAlert(QWidget *view)
    : QObject(view)
    , m_view(view)
{ }

void ErrorAlert::setError(ErrorPtr error)
{
    if (m_alert) {
        QMessageBox *old = m_alert;
        m_alert = nullptr;
        old->disconnect(this);
        old->close();
        old->deleteLater();
    }
    m_error = std::move(error);
    Q_EMIT errorChanged();
    if (!m_error) {
        return;
    }

    const QVariantMap info = m_error->bridged().userInfo();
    const QStringList recoveryTitles = info.value(NSLocalizedRecoveryOptionsErrorKey).toStringList();
    const auto attempter = info.value(NSRecoveryAttempterErrorKey).value<ErrorRecoveryAttempterPtr>();

    AlertOptions options;
    options.title = m_error->localizedDescription();
    options.message = presentableMessage(*m_error);
    options.style = AlertStyle::Critical;
    options.buttonTitles = recoveryTitles;
    m_alert = makeAlert(options, m_view);
    m_alert->setAttribute(Qt::WA_DeleteOnClose);
    const QList<QAbstractButton *> buttons = alertButtons(m_alert);
    // One button per recovery title; without titles the platform's OK button recovers nothing.
    for ([[maybe_unused]] const auto &[index, title] : IndexedCollection(recoveryTitles)) {
        QAbstractButton *button = buttons.value(static_cast<qsizetype>(index));
        if (attempter && button) {
            connect(button, &QAbstractButton::clicked, this, [error = m_error, attempter, index] {
                attempter->attemptRecovery(*error, static_cast<qsizetype>(index));
            });
        }
    }
    connect(m_alert, &QMessageBox::finished, this, &ErrorAlert::dismissed);
    m_alert->open();
}

void ErrorAlert::dismissed()
{
    m_alert = nullptr;
    m_error.reset();
    Q_EMIT errorChanged();
}
