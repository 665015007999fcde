#pragma once

#include <QWidget>

class QGridLayout;
class QLabel;

// A group of settings rows: an optional header above a framed box. A labelled row has its
// label on the leading side and its content on the trailing side; other rows span the box.
class SettingsSection : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsSection(const QString &header = {}, QWidget *parent = nullptr);

    void addRow(QWidget *control);
    // Answers the row's label.
    QLabel *addRow(const QString &label, QWidget *content);

private:
    QGridLayout *m_rows;
    int m_rowCount = 0;
};

// One tab's page: its sections stacked from the top.
QWidget *settingsPage(std::initializer_list<SettingsSection *> sections);
