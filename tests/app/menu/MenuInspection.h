#pragma once

#include "CaughtErrors.h"

#include <QAction>
#include <QMenu>
#include <QStringList>

#include <ostream>

// Readable failures: GoogleTest finds this beside QString.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// A menu as rows of text, so a whole menu compares against one expected table: a separator is
// "-", a disabled item "(title)", a checked one "title ✓".
inline QStringList menuRows(const QMenu &menu)
{
    QStringList rows;
    for (const QAction *action : menu.actions()) {
        QString row = action->isSeparator() ? QStringLiteral("-") : action->text();
        row = action->isEnabled() || action->isSeparator() ? row : QStringLiteral("(%1)").arg(row);
        rows << (action->isChecked() ? row + QStringLiteral(" \u2713") : row);
    }
    return rows;
}

inline QAction *findItem(const QMenu &menu, const QString &title)
{
    const QList<QAction *> actions = menu.actions();
    const auto found = std::ranges::find(actions, title, &QAction::text);
    return found == actions.end() ? nullptr : *found;
}
