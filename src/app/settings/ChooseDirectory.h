#pragma once

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/foundation/objects/Binding.h"

#include <QCoro/QCoroTask>
#include <QUrl>
#include <QWidget>

#include <optional>

class CloseOrClearButton;
class ErrorAlert;
class QPushButton;

// Picks, shows, takes drops of and clears a directory kept as a bookmark. Only a directory the
// program can write to is taken; anything else is refused with an alert and leaves the stored
// value as it was.
class ChooseDirectory : public QWidget
{
    Q_OBJECT

public:
    using Directory = std::optional<SandboxURLBookmark>;

    ChooseDirectory(
        Binding<Directory> directory, QString panelMessage, int maxWidth, QWidget *parent = nullptr);
    ~ChooseDirectory() override;

    // The stored directory where it is now; none when nothing is stored or it cannot be found.
    std::optional<QUrl> currentLocation() const;

    QPushButton *chooseButton() const { return m_choose; }
    CloseOrClearButton *clearButton() const { return m_clear; }
    ErrorPtr shownError() const;

    // Takes the first of the dropped locations when it is a directory; answers whether the drop
    // was taken.
    bool drop(const QList<QUrl> &urls);
    // Stores the location when the program can use it; otherwise shows why not.
    void setLocation(const QUrl &url);
    // Lets the user pick a directory in a panel over the hosting window.
    QCoro::Task<> choose();

    // The name the button shows for a location: a directory's own, else its parent's.
    static QString displayName(const QUrl &location);
    // The location's path with the home directory written "~"; empty for none.
    static QString tooltip(const std::optional<QUrl> &location);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setDirectory(const Directory &directory);
    void refresh();
    void showError(ErrorPtr error);

    Binding<Directory> m_directory;
    QString m_panelMessage;
    int m_maxWidth;
    CloseOrClearButton *m_clear;
    QPushButton *m_choose;
    ErrorAlert *m_errorAlert;
    Events::AnyCancellable m_observation;
};
