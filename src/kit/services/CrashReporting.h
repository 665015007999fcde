#pragma once

#include "platform/crashreport/CrashReportClient.h"

#include <QPointer>
#include <QWidget>

class HostingWindow;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

// Sets the DSN, turns swizzling and app-hang tracking off (they mean nothing here) and has a
// crash in the previous run open the crash-report window; every other option stays as it is.
void configureCrashReporting(CrashReportOptions &options, const QString &dsn);

// Starts the process-wide crash reporting with the DSN of the build or the environment.
void startCrashReporting();

// After a crash: where the client sends reports, asks what happened and sends the answer as
// feedback on the crash's event; where it sends nothing, says where the report is kept and
// offers to copy it or open its folder, and asks for nothing. Its window has no title-bar
// buttons where the window manager allows: the screen's own buttons end it.
class CrashReportScreen : public QWidget
{
    Q_OBJECT

public:
    CrashReportScreen(const QString &eventId, CrashReportClient &client, QWidget *parent = nullptr);

    bool asksToSend() const { return m_comments != nullptr; }
    // Only while it asks to send; none otherwise.
    QLineEdit *nameField() const { return m_name; }
    QLineEdit *emailField() const { return m_email; }
    QPlainTextEdit *commentsField() const { return m_comments; }
    // What became of the last command; hidden before the first.
    QLabel *statusLine() const { return m_status; }

    // Hands what was entered to the client and closes the window once the service has taken it;
    // a report that does not get there is said in the window, which stays open. Nothing goes
    // without comments.
    void send();
    // Closes the window; a report on its way still goes.
    void dismiss();
    // While the report is kept: the report, as it would be sent, on the clipboard.
    void copyReport();
    // While the report is kept: its folder in the file manager.
    void openReportFolder();

private:
    void addSendingControls(QVBoxLayout *layout);
    void addKeepingControls(QVBoxLayout *layout);
    void showStatus(const QString &text);
    void onEnvelopeFailed(const QString &file, const CrashReportSendFailure &failure);

    QString m_eventId;
    QPointer<CrashReportClient> m_client;
    QString m_folder;
    // The feedback on its way to the service.
    QString m_sendingFile;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_email = nullptr;
    QPlainTextEdit *m_comments = nullptr;
    QPushButton *m_sendButton = nullptr;
    QPushButton *m_dismissButton = nullptr;
    QLabel *m_status = nullptr;
};

namespace CrashReportWindow {

// The window around the screen, released when it closes. GUI thread.
HostingWindow *make(const QString &eventId, CrashReportClient &client);
// Shows a window for the event with the process-wide client; none while held or without a
// client.
HostingWindow *open(const QString &eventId);

// From hold() until release(), open() keeps its window back and release() shows it: the
// application's own notice of the crash comes first. GUI thread.
void hold();
void release();

} // namespace CrashReportWindow
