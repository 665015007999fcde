#include "kit/services/SupportWindow.h"

#include "platform/events/MainThread.h"

#include "kit/services/AlertBuilder.h"
#include "kit/services/DebugInfo.h"
#include "kit/services/KwApp.h"
#include "kit/services/ServiceTexts.h"

#include "kit/foundation/files/FileLocations.h"
#include "kit/ui/MenuBarAppWindow.h"
#include "kit/ui/Pasteboard.h"
#include "kit/ui/SingletonWindowController.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The user-facing debug window: one at a time, released when closed.
class SupportWindowController : public SingletonWindowController
{
public:
    SupportWindowController()
        : SingletonWindowController(new MenuBarAppWindow())
    {
        KwWindow *screen = window();
        screen->setObjectName(QStringLiteral("supportWindow"));
        screen->setWindowTitle(ServiceTexts::supportWindowTitle(KwApp::name()));
        auto *layout = new QVBoxLayout(screen);
        auto *text = new QPlainTextEdit(DebugInfo::text());
        text->setReadOnly(true);
        layout->addWidget(text);
        auto *buttons = new QHBoxLayout;
        auto *copy = new QPushButton(ServiceTexts::debugCopy());
        auto *feedback = new QPushButton(ServiceTexts::supportSendFeedback());
        auto *reset = new QPushButton(ServiceTexts::supportResetData());
        buttons->addWidget(copy);
        buttons->addWidget(feedback);
        buttons->addStretch();
        buttons->addWidget(reset);
        layout->addLayout(buttons);
        QObject::connect(copy, &QPushButton::clicked, [] { Pasteboard::copyString(DebugInfo::text()); });
        QObject::connect(feedback, &QPushButton::clicked, [] { KwApp::openSendFeedbackPage(); });
        QObject::connect(reset, &QPushButton::clicked, [] { SupportWindow::confirmDeleteAllData(); });
        screen->resize(520, 360);
    }
};

} // namespace

void SupportWindow::show()
{
    ASSERT_MAIN_THREAD();
    SingletonWindowController::show<SupportWindowController>(false);
}

QWidget *SupportWindow::window()
{
    const auto *controller = SingletonWindowController::existing<SupportWindowController>();
    return controller ? controller->window() : nullptr;
}

void SupportWindow::confirmDeleteAllData()
{
    KwApp::activate();
    AlertOptions options;
    options.title = ServiceTexts::deleteDataTitle(KwApp::name());
    options.message = ServiceTexts::deleteDataMessage(KwApp::name());
    options.style = AlertStyle::Critical;
    options.buttonTitles = { ServiceTexts::deleteDataConfirm(), ServiceTexts::cancel() };
    options.defaultButtonIndex = 1;
    options.destructiveButtonIndexes = { 0 };
    if (runAlertModal(makeAlert(options)) != 0) {
        return;
    }
    deleteAllData();
    QProcess::startDetached(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
    // Nothing is recording this early, so there is nothing for the quit confirmation to ask.
    QCoreApplication::quit();
}

void SupportWindow::deleteAllData()
{
    UserDefaults::standard()->removeAll();
    for (const QUrl &directory : { applicationSupportDirectory(), applicationCacheDirectory() }) {
        QDir(directory.toLocalFile()).removeRecursively();
    }
}
