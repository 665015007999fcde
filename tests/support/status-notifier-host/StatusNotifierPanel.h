#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QThread>

// What a panel shows of the registered items, drawn into a picture file after their changes: each
// item on a dark panel and on a light one, its icon by name where its theme has it (in the panel's
// text colour, as panels draw symbolic icons) or else its picture, and its label.
// The panel's work (reading the items, drawing them) is done on the main thread; the picture file,
// which is for people to look at and which no panel writes, is written on a thread of its own
// named `pictureThreadName`, so that what the panel costs can be told from it.
class StatusNotifierPanel : public QObject
{
    Q_OBJECT

public:
    static constexpr char pictureThreadName[] = "PanelPicture";

    StatusNotifierPanel(QDBusConnection bus, QString pictureFile, QObject *parent = nullptr);
    ~StatusNotifierPanel() override;

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
    QThread m_pictureThread;
    // Lives on that thread, and goes with it.
    QObject *m_pictureWriter = nullptr;
};
