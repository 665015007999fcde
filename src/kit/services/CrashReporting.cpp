#include "kit/services/CrashReporting.h"

#include "platform/events/MainThread.h"

#include "kit/services/KwApp.h"
#include "kit/services/ServiceTexts.h"

#include "kit/foundation/system/SignalHandler.h"
#include "kit/ui/HostingWindow.h"
#include "kit/ui/Pasteboard.h"
#include "kit/ui/SecondaryTextStyle.h"
#include "kit/ui/WindowLevel.h"
#include "kit/ui/WindowViewModifier.h"
#include "platform/crashreport/CrashMarker.h"
#include "platform/crashreport/CrashReporter.h"
#include "platform/events/RegularFile.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

Q_LOGGING_CATEGORY(lcCrashReportWindow, "tapewick.crashreport.window")

namespace {

QLabel *explanation(const QString &text, std::optional<double> fontSize = std::nullopt)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    applySecondaryTextStyle(label, fontSize);
    return label;
}

struct HeldWindows
{
    bool holding = false;
    QStringList eventIds;
};

HeldWindows &heldWindows()
{
    static HeldWindows held;
    return held;
}

} // namespace

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

CrashReportScreen::CrashReportScreen(const QString &eventId, CrashReportClient &client, QWidget *parent)
    : QWidget(parent)
    , m_eventId(eventId)
    , m_client(&client)
    , m_folder(QDir::toNativeSeparators(client.outbox().directory()))
    , m_status(new QLabel)
{
    setObjectName(QStringLiteral("crashReportScreen"));
    // Wide enough for the message to wrap into a few lines, not a narrow column.
    setMinimumWidth(440);
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->hide();
    auto *layout = new QVBoxLayout(this);
    if (client.isEnabled()) {
        addSendingControls(layout);
    } else {
        addKeepingControls(layout);
    }
    // The user answers through the buttons above, not the title bar.
    WindowViewModifier::apply(this, [](QWidget *window) {
        if (window) {
            setTitlebarButtonsVisible(window, false);
        }
    });
}

void CrashReportScreen::addSendingControls(QVBoxLayout *layout)
{
    m_name = new QLineEdit;
    m_email = new QLineEdit;
    m_comments = new QPlainTextEdit;
    layout->addWidget(explanation(ServiceTexts::crashReportMessage(KwApp::name())));
    auto *form = new QFormLayout;
    form->addRow(ServiceTexts::crashReportName(), m_name);
    form->addRow(ServiceTexts::crashReportEmail(), m_email);
    layout->addLayout(form);
    layout->addWidget(new QLabel(ServiceTexts::crashReportComments()));
    layout->addWidget(m_comments);
    layout->addWidget(m_status);
    auto *buttons = new QDialogButtonBox;
    m_sendButton = buttons->addButton(ServiceTexts::crashReportSend(), QDialogButtonBox::AcceptRole);
    m_dismissButton = buttons->addButton(ServiceTexts::crashReportDontSend(), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    // A report without comments has nothing for the service to take.
    m_sendButton->setEnabled(false);
    connect(m_comments, &QPlainTextEdit::textChanged, this, [this] {
        m_sendButton->setEnabled(m_sendingFile.isEmpty() && !m_comments->toPlainText().trimmed().isEmpty());
    });
    connect(m_sendButton, &QPushButton::clicked, this, &CrashReportScreen::send);
    connect(m_dismissButton, &QPushButton::clicked, this, &CrashReportScreen::dismiss);
    connect(m_client, &CrashReportClient::envelopeSent, this, [this](const QString &file) {
        if (!m_sendingFile.isEmpty() && file == m_sendingFile) {
            dismiss();
        }
    });
    connect(m_client, &CrashReportClient::envelopeFailed, this, &CrashReportScreen::onEnvelopeFailed);
}

void CrashReportScreen::addKeepingControls(QVBoxLayout *layout)
{
    layout->addWidget(explanation(ServiceTexts::crashReportKeptMessage(KwApp::name())));
    QLabel *folder = explanation(m_folder, TextStyle::smallSystemFontSize());
    folder->setObjectName(QStringLiteral("crashReportFolder"));
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(folder);
    layout->addWidget(explanation(ServiceTexts::crashReportKeptHint(KwApp::name())));
    layout->addWidget(m_status);
    auto *buttons = new QDialogButtonBox;
    // Without a report of its own there is nothing to copy; the folder still holds the others.
    if (!m_client->crashReportFile().isEmpty()) {
        QPushButton *copy = buttons->addButton(ServiceTexts::crashReportCopy(), QDialogButtonBox::ActionRole);
        connect(copy, &QPushButton::clicked, this, &CrashReportScreen::copyReport);
    }
    QPushButton *open
        = buttons->addButton(ServiceTexts::crashReportOpenFolder(), QDialogButtonBox::ActionRole);
    m_dismissButton = buttons->addButton(ServiceTexts::crashReportClose(), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(open, &QPushButton::clicked, this, &CrashReportScreen::openReportFolder);
    connect(m_dismissButton, &QPushButton::clicked, this, &CrashReportScreen::dismiss);
}

void CrashReportScreen::send()
{
    const QString comments = m_comments ? m_comments->toPlainText().trimmed() : QString();
    if (comments.isEmpty() || !m_sendingFile.isEmpty()) {
        return;
    }
    const QString file = m_client ? m_client->captureUserFeedback(
                             { m_eventId, m_name->text().trimmed(), m_email->text().trimmed(), comments })
                                  : QString();
    if (file.isEmpty()) {
        showStatus(ServiceTexts::crashReportNotStored(m_folder));
        return;
    }
    m_sendingFile = file;
    m_sendButton->setEnabled(false);
    for (QWidget *field : std::initializer_list<QWidget *> { m_name, m_email, m_comments }) {
        field->setEnabled(false);
    }
    showStatus(ServiceTexts::crashReportSending());
}

void CrashReportScreen::onEnvelopeFailed(const QString &file, const CrashReportSendFailure &failure)
{
    if (m_sendingFile.isEmpty() || file != m_sendingFile) {
        return;
    }
    const QString reason = failure.httpStatus != 0
        ? ServiceTexts::crashReportServiceAnswered(failure.httpStatus)
        : failure.networkError;
    showStatus(failure.kept ? ServiceTexts::crashReportNotSentKept(reason, m_folder, KwApp::name())
                            : ServiceTexts::crashReportNotSentDropped(reason));
    // Kept, it goes at the next start; sent again from here it would go twice.
    m_dismissButton->setText(ServiceTexts::crashReportClose());
}

void CrashReportScreen::dismiss()
{
    if (window() != this) {
        window()->close();
    }
}

void CrashReportScreen::copyReport()
{
    // Read as the client reads what it sends: whatever took the file's place must not hold up the
    // window.
    const RegularFile::Contents stored
        = m_client ? RegularFile::read(m_client->crashReportFile()) : RegularFile::Contents {};
    const std::optional<QByteArray> report = stored.status == RegularFile::Contents::Status::read
        ? m_client->outgoing(stored.bytes)
        : std::nullopt;
    if (!report) {
        showStatus(ServiceTexts::crashReportGone());
        return;
    }
    Pasteboard::copyString(QString::fromUtf8(*report));
    showStatus(ServiceTexts::crashReportCopied());
}

void CrashReportScreen::openReportFolder()
{
    QDir().mkpath(m_folder);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder))) {
        showStatus(ServiceTexts::crashReportFolderNotOpened());
        return;
    }
    m_status->hide();
}

void CrashReportScreen::showStatus(const QString &text)
{
    m_status->setText(text);
    m_status->show();
    // The window grows by the new line instead of squeezing the explanations above it.
    QWidget *top = window();
    const int needed
        = top->hasHeightForWidth() ? top->heightForWidth(top->width()) : top->sizeHint().height();
    if (top != this && top->height() < needed) {
        top->resize(top->width(), needed);
    }
}

HostingWindow *CrashReportWindow::make(const QString &eventId, CrashReportClient &client)
{
    auto *window = new HostingWindow(new CrashReportScreen(eventId, client),
        { .constrainWindowToScreen = false, .canBecomeKey = true, .closeOnEscape = false });
    window->setObjectName(QStringLiteral("crashReportWindow"));
    window->setWindowTitle(ServiceTexts::crashReportTitle(KwApp::name()));
    window->setAttribute(Qt::WA_DeleteOnClose);
    // As tall as its wrapped explanations are at its width, not the window's first guess.
    window->adjustSize();
    // Native before it is shown, so that the screen hides the title-bar buttons before the window
    // manager first sees the window: some draw them for good otherwise.
    window->winId();
    return window;
}

HostingWindow *CrashReportWindow::open(const QString &eventId)
{
    ASSERT_MAIN_THREAD();
    if (heldWindows().holding) {
        heldWindows().eventIds.append(eventId);
        return nullptr;
    }
    CrashReportClient *client = CrashReporter::client();
    if (!client) {
        qCWarning(lcCrashReportWindow) << "No crash reporting to show a report of";
        return nullptr;
    }
    qCDebug(lcCrashReportWindow) << "Crash report window opens,"
                                 << (client->isEnabled() ? "sending" : "keeping") << "the report";
    KwApp::activate();
    HostingWindow *window = make(eventId, *client);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void CrashReportWindow::hold()
{
    ASSERT_MAIN_THREAD();
    heldWindows().holding = true;
}

void CrashReportWindow::release()
{
    ASSERT_MAIN_THREAD();
    heldWindows().holding = false;
    for (const QString &eventId : std::exchange(heldWindows().eventIds, {})) {
        open(eventId);
    }
}
