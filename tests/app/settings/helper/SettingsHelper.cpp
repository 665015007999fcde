// Drives the settings window in a process of its own, so a test can restart it or run it as
// another user. Prints each alert's title ("alert: ..."), each panel ("panel") and, at the
// end, the stored output directory ("stored: <path>" or "stored: none").
#include "app/SettingsKeys.h"
#include "app/settings/ChooseDirectory.h"
#include "app/settings/DirectoryPicker.h"
#include "app/settings/SettingsScreen.h"
#include "kit/foundation/panels/OpenPanel.h"
#include "kit/ui/Buttons.h"
#include "preferences/DefaultsToggle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void runFor(int milliseconds, const bool &done = false)
{
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Answers every alert; the first panel picks `pick`, every later one is cancelled.
void answerWindows(const QUrl &pick)
{
    auto *poll = new QTimer(qApp);
    auto panels = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [pick, panels] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            // An answer is queued, so that the poll never runs inside a modal loop it starts.
            if (!window->isVisible() || window->property("answered").toBool()) {
                continue;
            }
            if (auto *alert = qobject_cast<QMessageBox *>(window)) {
                alert->setProperty("answered", true);
                say(QStringLiteral("alert: ") + alert->text());
                QMetaObject::invokeMethod(
                    alert, [alert] { alert->done(0); }, Qt::QueuedConnection);
            } else if (auto *panel = qobject_cast<OpenPanel *>(window)) {
                if (!panel->property("counted").toBool()) {
                    panel->setProperty("counted", true);
                    say(QStringLiteral("panel"));
                    ++*panels;
                }
                if (*panels > 1) {
                    panel->setProperty("answered", true);
                    QMetaObject::invokeMethod(panel, &QDialog::reject, Qt::QueuedConnection);
                    continue;
                }
                // In the directory itself with nothing typed, the panel chooses that directory.
                panel->setDirectoryUrl(pick);
                const QList<QUrl> chosen = panel->selectedUrls();
                if (chosen.size() == 1 && chosen.first().adjusted(QUrl::StripTrailingSlash) == pick) {
                    panel->setProperty("answered", true);
                    QMetaObject::invokeMethod(panel, &QDialog::accept, Qt::QueuedConnection);
                }
            }
        }
    });
    poll->start(20);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    const QString mode = arguments.value(0);
    const QUrl first = QUrl::fromLocalFile(arguments.value(1));
    answerWindows(first);
    SettingsScreen *screen = SettingsScreen::show();
    auto *chooser = screen->findChild<ChooseDirectory *>();
    runFor(200);

    if (mode == QLatin1String("copy")) {
        for (Defaults::Toggle *toggle : screen->findChildren<Defaults::Toggle *>()) {
            if (toggle->text() == QLatin1String("Copy recording")) {
                for (const bool on : { true, false, true }) {
                    toggle->setChecked(on);
                    runFor(300);
                }
            }
        }
    } else if (mode == QLatin1String("drop")) {
        chooser->drop({ first });
    } else if (mode == QLatin1String("pick")) {
        bool finished = false;
        auto pick = [&finished]() -> QCoro::Task<> {
            DirectoryPicker::Options options;
            options.ensureWritable = true;
            co_await DirectoryPicker::pickDirectory(options);
            finished = true;
        };
        pick();
        runFor(20000, finished);
    }
    runFor(500);
    const auto stored = Defaults::get(SettingsKeys::defaultOutputDirectory());
    const auto location = stored ? stored->resolvedURL() : std::nullopt;
    say(QStringLiteral("stored: ") + (location ? location->toLocalFile() : QStringLiteral("none")));
    return 0;
}
