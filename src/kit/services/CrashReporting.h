#pragma once

#include "platform/crashreport/CrashReportClient.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

// Sets the DSN, turns swizzling and app-hang tracking off (they mean nothing here) and has a
// crash in the previous run open the crash-report window; every other option stays as it is.
void configureCrashReporting(CrashReportOptions &options, const QString &dsn);

// Starts the process-wide crash reporting with the DSN of the build or the environment.
void startCrashReporting();

// Asks the user what happened before a crash and sends the answer as feedback on its event.
class CrashReportWindow : public QDialog
{
    Q_OBJECT

public:
    using SendFeedback = std::function<void(const CrashReportUserFeedback &)>;

    CrashReportWindow(const QString &eventId, SendFeedback send, QWidget *parent = nullptr);

    // Shows a window for the event that deletes itself when closed. GUI thread.
    static CrashReportWindow *open(const QString &eventId);

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *emailField() const { return m_email; }
    QPlainTextEdit *commentsField() const { return m_comments; }

    // Sends what was entered and closes; nothing is sent without comments.
    void send();

private:
    QString m_eventId;
    SendFeedback m_send;
    QLineEdit *m_name;
    QLineEdit *m_email;
    QPlainTextEdit *m_comments;
};
