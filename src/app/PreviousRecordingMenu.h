#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <QCoroTask>

#include <functional>
#include <optional>

class KwMenu;
class QMenu;

// The submenu of the last saved recording: its name, length and size, and what can be done with
// it. Copies handed to the clipboard or a share service are fresh ones in a temporary directory,
// so a receiving application can never change or move the saved file.
namespace PreviousRecordingMenu {

// The companion application that transcribes recordings, by its desktop-file ID.
inline constexpr char transcriptionAppId[] = "com.larkvelden.Quillo";

// Hours, minutes and seconds in abbreviated units ("1 hr, 5 sec"), whole seconds rounded to
// the nearest (ties to even), zero units left out; "0 sec" for less than half a second.
QString durationText(double seconds);

// GUI thread. Opening reads nothing long and copies nothing: the copy for Copy or Share is made
// on a worker thread when the command is chosen, a new one each time.
KwMenu *make(const QUrl &location);
// The size (zero when it cannot be read) at once, and the length above it once a worker thread
// has read it (left out when it cannot be read); the last length read is kept for the unchanged file.
void addInfoItems(QMenu *menu, const QUrl &location);

// The menu's commands; failures are reported and shown. The clipboard gets the copy once it is made.
QCoro::Task<> copyToClipboard(QUrl location);
void moveToTrash(const QUrl &location);
// Share's preparation: a fresh copy of each item, handed to `perform` once all are made. When one
// cannot be made, that is said, the copies made before it are removed and nothing is shared.
QCoro::Task<> shareFreshCopies(QList<QUrl> items, std::function<void(const QList<QUrl> &)> perform);

} // namespace PreviousRecordingMenu
