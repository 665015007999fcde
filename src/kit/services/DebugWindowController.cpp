#include "kit/services/DebugWindowController.h"

#include "platform/events/MainThread.h"

#include "kit/services/DebugInfo.h"
#include "kit/services/KwApp.h"
#include "kit/services/ServiceTexts.h"
#include "kit/services/UserDefaultsChanges.h"

#include "platform/userdefaults/UserDefaults.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

DebugWindowController &DebugWindowController::shared()
{
    static DebugWindowController instance;
    return instance;
}

QString DebugWindowController::userDefaultsText()
{
    QStringList lines;
    for (const auto &[key, value] : UserDefaults::standard()->dictionaryRepresentation()) {
        lines.append(QStringLiteral("%1 = %2").arg(
            QString::fromStdString(key), QString::fromStdString(value.debugDescription())));
    }
    return lines.join(QLatin1Char('\n'));
}

void DebugWindowController::showWindow()
{
    ASSERT_MAIN_THREAD();
    KwApp::activate();
    if (!m_window) {
        m_cancellables.clear();
        auto *window = new QWidget(nullptr, Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setObjectName(QStringLiteral("debugWindow"));
        window->setWindowTitle(ServiceTexts::debugWindowTitle());
        auto *layout = new QVBoxLayout(window);
        auto *info = new QPlainTextEdit(DebugInfo::text());
        info->setReadOnly(true);
        auto *defaults = new QPlainTextEdit(userDefaultsText());
        defaults->setReadOnly(true);
        defaults->setObjectName(QStringLiteral("userDefaultsText"));
        auto *copy = new QPushButton(ServiceTexts::debugCopy());
        layout->addWidget(info);
        layout->addWidget(defaults);
        layout->addWidget(copy);
        QObject::connect(
            copy, &QPushButton::clicked, [] { QApplication::clipboard()->setText(DebugInfo::text()); });

        // The screen is drawn again after any change of any default.
        m_userDefaultsObservable
            = std::make_unique<ListenOnlyPublisherObservable>(userDefaultsDidChangePublisher());
        QPointer<QPlainTextEdit> guarded(defaults);
        m_userDefaultsObservable->objectWillChange()
            .sink([guarded] {
                if (guarded) {
                    guarded->setPlainText(userDefaultsText());
                }
            })
            .store(m_cancellables);
        window->resize(560, 480);
        m_window = window;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
