#include "kit/services/CrashReporting.h"

#include "platform/events/MainThread.h"

#include "kit/services/KwApp.h"
#include "kit/services/ServiceTexts.h"

#include "kit/foundation/system/SignalHandler.h"
#include "kit/ui/HostingWindow.h"
#include "kit/ui/WindowLevel.h"
#include "kit/ui/WindowViewModifier.h"
#include "platform/crashreport/CrashMarker.h"
#include "platform/crashreport/CrashReporter.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

void configureCrashReporting(CrashReportOptions &options, const QString &dsn)
{
    options.dsn = dsn;
    options.enableSwizzling = false;
    options.enableAppHangTracking = false;
    options.onCrashedLastRun = [](const CrashReportEvent &event) { CrashReportWindow::open(event.eventId); };
}

void startCrashReporting()
{
    CrashReporter::start([](CrashReportOptions &options) {
        options.release = QStringLiteral("%1@%2").arg(KwApp::identifier(), KwApp::version());
        configureCrashReporting(options, CrashReportDsn::configured());
    });
    // The exit signals' handler takes SIGABRT over from the crash marker: an abort() then leaves
    // its note from there.
    SignalHandler::setCrashNote(CrashMarker::note);
}

CrashReportScreen::CrashReportScreen(const QString &eventId, SendFeedback send, QWidget *parent)
    : QWidget(parent)
    , m_eventId(eventId)
    , m_send(std::move(send))
    , m_name(new QLineEdit)
    , m_email(new QLineEdit)
    , m_comments(new QPlainTextEdit)
{
    setObjectName(QStringLiteral("crashReportScreen"));
    // Wide enough for the message to wrap into a few lines, not a narrow column.
    setMinimumWidth(440);
    auto *layout = new QVBoxLayout(this);
    auto *message = new QLabel(ServiceTexts::crashReportMessage(KwApp::name()));
    message->setWordWrap(true);
    layout->addWidget(message);
    auto *form = new QFormLayout;
    form->addRow(ServiceTexts::crashReportName(), m_name);
    form->addRow(ServiceTexts::crashReportEmail(), m_email);
    layout->addLayout(form);
    layout->addWidget(new QLabel(ServiceTexts::crashReportComments()));
    layout->addWidget(m_comments);
    auto *buttons = new QDialogButtonBox;
    QPushButton *sendButton
        = buttons->addButton(ServiceTexts::crashReportSend(), QDialogButtonBox::AcceptRole);
    QPushButton *dontSend
        = buttons->addButton(ServiceTexts::crashReportDontSend(), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(sendButton, &QPushButton::clicked, this, &CrashReportScreen::send);
    connect(dontSend, &QPushButton::clicked, this, &CrashReportScreen::dismiss);
    // The user answers through the buttons above, not the title bar.
    WindowViewModifier::apply(this, [](QWidget *window) {
        if (window) {
            setTitlebarButtonsVisible(window, false);
        }
    });
}

void CrashReportScreen::send()
{
    const QString comments = m_comments->toPlainText().trimmed();
    if (!comments.isEmpty() && m_send) {
        m_send({ m_eventId, m_name->text().trimmed(), m_email->text().trimmed(), comments });
    }
    dismiss();
}

void CrashReportScreen::dismiss()
{
    if (window() != this) {
        window()->close();
    }
}

HostingWindow *CrashReportWindow::make(const QString &eventId, CrashReportScreen::SendFeedback send)
{
    auto *window = new HostingWindow(new CrashReportScreen(eventId, std::move(send)),
        { .constrainWindowToScreen = false, .canBecomeKey = true, .closeOnEscape = false });
    window->setObjectName(QStringLiteral("crashReportWindow"));
    window->setWindowTitle(ServiceTexts::crashReportTitle(KwApp::name()));
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Native before it is shown, so that the screen hides the title-bar buttons before the window
    // manager first sees the window: some draw them for good otherwise.
    window->winId();
    return window;
}

HostingWindow *CrashReportWindow::open(const QString &eventId)
{
    ASSERT_MAIN_THREAD();
    KwApp::activate();
    HostingWindow *window = make(eventId,
        [](const CrashReportUserFeedback &feedback) { CrashReporter::captureUserFeedback(feedback); });
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
