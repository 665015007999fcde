#pragma once

#include "platform/events/AnyCancellable.h"

#include <QWidget>

class QLabel;
class QLineEdit;

// The "filenamePrefix" setting: a field that stores each edit cleaned for use in a file name
// (blank removes the setting, Escape too), a note that says why it takes no more once the prefix
// has its most characters, and the name a recording started now would get.
class FilenamePrefixSetting : public QWidget
{
    Q_OBJECT

public:
    explicit FilenamePrefixSetting(QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    QLabel *limitNote() const { return m_limitNote; }
    QLabel *preview() const { return m_preview; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void edited(const QString &text);
    void showStoredPrefix();

    QLineEdit *m_field;
    QLabel *m_limitNote;
    QLabel *m_preview;
    Events::AnyCancellable m_observation;
};
