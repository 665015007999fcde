#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

// Writes the user's home folder as "~" in what a report carries, so that folder names (often the
// user's own name) stay on this machine. A home is replaced where it stands as a whole path
// component: "/home/al" is left alone inside "/home/alice".
class HomePathRedactor
{
public:
    // The given homes, found also where some or all of their bytes are percent-encoded (as file
    // URLs and URL queries carry them).
    explicit HomePathRedactor(const QStringList &homes);

    // The running user's home as the environment gives it and as the user database has it,
    // with symbolic links resolved as well.
    static HomePathRedactor forCurrentUser();

    QString redacted(const QString &text) const;
    // Every text in the value, names of members included.
    QJsonValue redacted(const QJsonValue &value) const;

private:
    QList<QByteArray> m_forms; // UTF-8, longest first, so that no form is cut by a shorter one
};
