#pragma once

#include "platform/crashreport/CrashReportClient.h"

#include <QWidget>

#include <functional>

class HostingWindow;
class QLineEdit;
class QPlainTextEdit;

// Sets the DSN, turns swizzling and app-hang tracking off (they mean nothing here) and has a
// crash in the previous run open the crash-report window; every other option stays as it is.
void configureCrashReporting(CrashReportOptions &options, const QString &dsn);

// Starts the process-wide crash reporting with the DSN of the build or the environment.
void startCrashReporting();

// Asks the user what happened before a crash and sends the answer as feedback on its event.
// Its window has no title-bar buttons where the window manager allows: the screen's own buttons
// end it.
class CrashReportScreen : public QWidget
{
    Q_OBJECT

public:
    using SendFeedback = std::function<void(const CrashReportUserFeedback &)>;

    CrashReportScreen(const QString &eventId, SendFeedback send, QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *emailField() const { return m_email; }
    QPlainTextEdit *commentsField() const { return m_comments; }

    // Sends what was entered and closes the window; nothing is sent without comments.
    void send();
    // Closes the window without sending anything.
    void dismiss();

private:
    QString m_eventId;
    SendFeedback m_send;
    QLineEdit *m_name;
    QLineEdit *m_email;
    QPlainTextEdit *m_comments;
};

namespace CrashReportWindow {

// The window around the screen, released when it closes. GUI thread.
HostingWindow *make(const QString &eventId, CrashReportScreen::SendFeedback send);
// Shows a window for the event whose answer goes to the crash reporting.
HostingWindow *open(const QString &eventId);

} // namespace CrashReportWindow
