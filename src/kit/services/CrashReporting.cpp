#include "kit/services/CrashReporting.h"

#include "platform/events/MainThread.h"

#include "kit/services/KwApp.h"
#include "kit/services/ServiceTexts.h"

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
}

CrashReportWindow::CrashReportWindow(const QString &eventId, SendFeedback send, QWidget *parent)
    : QDialog(parent)
    , m_eventId(eventId)
    , m_send(std::move(send))
    , m_name(new QLineEdit)
    , m_email(new QLineEdit)
    , m_comments(new QPlainTextEdit)
{
    setObjectName(QStringLiteral("crashReportWindow"));
    setWindowTitle(ServiceTexts::crashReportTitle(KwApp::name()));
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
    buttons->addButton(ServiceTexts::crashReportDontSend(), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(sendButton, &QPushButton::clicked, this, &CrashReportWindow::send);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CrashReportWindow *CrashReportWindow::open(const QString &eventId)
{
    ASSERT_MAIN_THREAD();
    KwApp::activate();
    auto *window = new CrashReportWindow(eventId,
        [](const CrashReportUserFeedback &feedback) { CrashReporter::captureUserFeedback(feedback); });
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void CrashReportWindow::send()
{
    const QString comments = m_comments->toPlainText().trimmed();
    if (!comments.isEmpty() && m_send) {
        m_send({ m_eventId, m_name->text().trimmed(), m_email->text().trimmed(), comments });
    }
    accept();
}
