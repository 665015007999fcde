#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QMessageBox;

// Answers the application-modal alerts as they come, each with the next answer: a button's
// title, or "Return" for the Return key (which may leave the alert open). Records the titles.
class AlertAnswerer : public QObject
{
public:
    explicit AlertAnswerer(QStringList answers);

    const QStringList &titles() const { return m_titles; }
    // Answers not given, and those no alert had a button for.
    QStringList unanswered() const { return m_answers + m_missed; }
    // Called with each alert before it is answered.
    std::function<void(QMessageBox &)> inspect;

private:
    void poll();

    QStringList m_answers;
    QStringList m_titles;
    QStringList m_missed;
    QTimer m_timer;
};
