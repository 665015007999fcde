#pragma once

#include <QIcon>
#include <QString>

// A title with an icon, as tabs, list rows and buttons show them. The title is shown
// as it stands: never looked up for translation, never taken as a format.
struct Label
{
    QString title;
    QIcon icon;
};
