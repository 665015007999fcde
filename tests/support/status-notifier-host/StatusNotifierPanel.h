#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

// What a panel shows of the registered items, drawn into a picture file after their changes: each
// item on a dark panel and on a light one, its icon by name where its theme has it (in the panel's
// text colour, as panels draw symbolic icons) or else its picture, and its label.
class StatusNotifierPanel : public QObject
{
    Q_OBJECT

public:
    StatusNotifierPanel(QDBusConnection bus, QString pictureFile, QObject *parent = nullptr);

    void add(const QString &item);
    void remove(const QString &item);

private slots:
    void itemChanged();

private:
    void draw();

    QDBusConnection m_bus;
    QString m_pictureFile;
    QStringList m_items;
    bool m_drawScheduled = false;
};
