#include "AlertAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

AlertAnswerer::AlertAnswerer(QStringList answers)
    : m_answers(std::move(answers))
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &AlertAnswerer::poll);
    m_timer.start();
}

void AlertAnswerer::poll()
{
    auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!alert || !alert->isVisible() || m_answers.isEmpty()) {
        return;
    }
    if (!alert->property("seen").toBool()) {
        alert->setProperty("seen", true);
        m_titles.append(alert->text());
        if (inspect) {
            inspect(*alert);
        }
    }
    const QString answer = m_answers.takeFirst();
    if (answer == QLatin1String("Return")) {
        QTest::keyClick(alert, Qt::Key_Return);
        return;
    }
    for (QAbstractButton *button : alert->buttons()) {
        if (button->text() == answer) {
            button->click();
            return;
        }
    }
    m_missed.append(answer);
}
