#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

// Writes the user's home folder as "~" in what a report carries, so that folder names (often the
// user's own name) stay on this machine. A home is replaced where it stands as a whole path
// component: "/home/al" is left alone inside "/home/alice".
class HomePathRedactor
{
public:
    // The given homes, each also in its percent-encoded form (file URLs carry that one).
    explicit HomePathRedactor(const QStringList &homes);

    // The running user's home as the environment gives it and as the user database has it,
    // with symbolic links resolved as well.
    static HomePathRedactor forCurrentUser();

    QString redacted(const QString &text) const;
    // Every text in the value, names of members included.
    QJsonValue redacted(const QJsonValue &value) const;

private:
    QStringList m_forms; // longest first, so that no form is cut by a shorter one
};
