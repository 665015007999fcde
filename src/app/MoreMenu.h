#pragma once

#include <QUrl>

class KwMenu;

// The "More" submenu: help pages, recovery of unsaved recordings, feedback and the maker's pages.
namespace MoreMenu {

// The product page at one of its sections.
QUrl productPage(const QString &anchor);

// GUI thread.
KwMenu *make();

// Opens the folder of temporary recordings in the file manager, the first time after a tip on
// what it holds; a failure is reported and shown.
void recoverRecordings();

} // namespace MoreMenu
