#pragma once

#include <QIcon>
#include <QUrl>

// The icon the desktop shows for the file, folder or kind of file at `url`. Answers are
// remembered per location for one second, as a list of files asks for the same icons again and
// again while it is drawn. The result is the caller's own copy: changing it changes no other.
QIcon fileIcon(const QUrl &url);
