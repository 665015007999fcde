#include "app/settings/SettingsSection.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

SettingsSection::SettingsSection(const QString &header, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    if (!header.isEmpty()) {
        auto *title = new QLabel(header, this);
        title->setTextFormat(Qt::PlainText);
        QFont font = title->font();
        font.setBold(true);
        title->setFont(font);
        layout->addWidget(title);
    }
    auto *box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    m_rows = new QGridLayout(box);
    m_rows->setColumnStretch(0, 1);
    layout->addWidget(box);
}

void SettingsSection::addRow(QWidget *control)
{
    m_rows->addWidget(control, m_rowCount++, 0, 1, 2);
}

QLabel *SettingsSection::addRow(const QString &label, QWidget *content)
{
    auto *title = new QLabel(label, this);
    title->setTextFormat(Qt::PlainText);
    title->setBuddy(content);
    const int row = m_rowCount++;
    m_rows->addWidget(title, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_rows->addWidget(content, row, 1, Qt::AlignRight | Qt::AlignVCenter);
    return title;
}

QWidget *settingsPage(std::initializer_list<SettingsSection *> sections)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(12);
    for (SettingsSection *section : sections) {
        layout->addWidget(section);
    }
    return page;
}
