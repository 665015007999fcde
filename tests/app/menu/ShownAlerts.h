#pragma once

#include "kit/services/AlertBuilder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <vector>

// Reads each application-modal alert while it shows, and answers it with its first button.
class ShownAlerts : public QObject
{
public:
    struct Alert
    {
        QString title;
        QString message;
        qsizetype buttons = 0;
        // What `noteWhenShown` said while the alert was up, before it was answered.
        QString note;
    };

    explicit ShownAlerts(std::function<QString()> noteWhenShown = [] { return QString(); })
        : m_noteWhenShown(std::move(noteWhenShown))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!alert || !alert->isVisible()) {
                return;
            }
            const QList<QAbstractButton *> buttons = alertButtons(alert);
            shown.push_back({ alert->text(), alert->informativeText(), buttons.size(), m_noteWhenShown() });
            if (!buttons.isEmpty()) {
                buttons.front()->click();
            }
        });
        m_poll.start(10);
    }

    std::vector<Alert> shown;

private:
    std::function<QString()> m_noteWhenShown;
    QTimer m_poll;
};
