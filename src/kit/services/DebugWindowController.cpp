#include "kit/services/DebugWindowController.h"

#include "kit/services/DebugInfo.h"
#include "kit/services/DebugLog.h"
#include "kit/services/ServiceTexts.h"
#include "kit/services/UserDefaultsChanges.h"

#include "kit/ui/Buttons.h"
#include "kit/ui/EverySecondSchedule.h"
#include "kit/ui/MenuBarAppWindow.h"
#include "kit/ui/Pasteboard.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QPlainTextEdit *readOnlyText(const QString &name, const QString &text)
{
    auto *view = new QPlainTextEdit(text);
    view->setObjectName(name);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    return view;
}

} // namespace

DebugWindowController::DebugWindowController()
    : SingletonWindowController(new MenuBarAppWindow())
{
    KwWindow *screen = window();
    screen->setObjectName(QStringLiteral("debugWindow"));
    screen->setWindowTitle(ServiceTexts::debugWindowTitle());
    auto *layout = new QVBoxLayout(screen);
    m_userDefaults = readOnlyText(QStringLiteral("userDefaultsText"), userDefaultsText());
    m_log = readOnlyText(QStringLiteral("debugLog"), QString());
    layout->addWidget(new QLabel(ServiceTexts::debugInformation()));
    layout->addWidget(readOnlyText(QStringLiteral("debugInfoText"), DebugInfo::text()), 1);
    layout->addWidget(new QLabel(ServiceTexts::debugSettings()));
    layout->addWidget(m_userDefaults, 2);
    layout->addWidget(new QLabel(ServiceTexts::debugLog()));
    layout->addWidget(m_log, 3);
    auto *buttons = new QHBoxLayout;
    auto *copy = new QPushButton(ServiceTexts::debugCopy());
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(new Buttons::Quit(true));
    layout->addLayout(buttons);
    connect(copy, &QPushButton::clicked, [] { Pasteboard::copyString(DebugInfo::text()); });

    // The settings are drawn again after any change of any default.
    m_userDefaultsObservable
        = std::make_unique<ListenOnlyPublisherObservable>(userDefaultsDidChangePublisher());
    m_userDefaultsObservable->objectWillChange()
        .sink([this] { m_userDefaults->setPlainText(userDefaultsText()); })
        .store(m_cancellables);
    redrawLog();
    m_logTicker = new TimelineTicker(
        EverySecondSchedule(), [this](const QDateTime &) { redrawLog(); }, this);
    screen->resize(640, 640);
}

DebugWindowController::~DebugWindowController() = default;

QString DebugWindowController::userDefaultsText()
{
    OrderedDictionary<QString, QString> entries;
    for (const auto &[key, value] : UserDefaults::standard()->dictionaryRepresentation()) {
        entries.setValue(QString::fromStdString(key), QString::fromStdString(value.debugDescription()));
    }
    QStringList lines;
    for (const auto &[key, value] : entries) {
        lines.append(key + QStringLiteral(" = ") + value);
    }
    return lines.join(QLatin1Char('\n'));
}

void DebugWindowController::redrawLog()
{
    const quint64 logged = DebugLog::appendedCount();
    if (logged == m_loggedLines) {
        return;
    }
    m_loggedLines = logged;
    QScrollBar *scrollBar = m_log->verticalScrollBar();
    const int position = scrollBar->value();
    const bool following = position == scrollBar->maximum();
    m_log->setPlainText(DebugLog::lines().join(QLatin1Char('\n')));
    // Reading an older line, the user keeps their place; otherwise the newest line stays in view.
    scrollBar->setValue(following ? scrollBar->maximum() : position);
}
