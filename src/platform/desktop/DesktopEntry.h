#pragma once

#include <QString>

#include <memory>
#include <optional>

// One desktop entry file (the freedesktop key file describing an installed application), read
// with its comments and every translation so that one written back loses nothing.
class DesktopEntry
{
public:
    // A new entry of `type` ("Application", "Link" or "Directory") with nothing else set.
    static DesktopEntry create(const QString &type);
    // None when the file cannot be read or is not a desktop entry.
    static std::optional<DesktopEntry> load(const QString &filePath);

    DesktopEntry(DesktopEntry &&other) noexcept;
    DesktopEntry &operator=(DesktopEntry &&other) noexcept;
    ~DesktopEntry();

    // Empty for a created entry.
    const QString &filePath() const { return m_filePath; }
    // "Application", "Link" or "Directory".
    QString type() const;
    bool isApplication() const { return type() == QLatin1String("Application"); }
    // The entry was deleted by the user or administrator: it hides entries of the same ID
    // from directories of lower priority.
    bool isHidden() const;
    // Whether the session starts it from an autostart directory: not hidden, and not switched
    // off in the desktop's own startup settings.
    bool isAutostartEnabled() const;
    // The Name key in the best-matching language of the current locale settings.
    QString localizedName() const;

    // Keys of the entry's own group; a translation ("Name[de]") is a key of its own.
    bool contains(const QString &key) const;
    void setString(const QString &key, const QString &value);
    void setBoolean(const QString &key, bool value);
    void remove(const QString &key);
    // Drops every group besides the entry's own, such as its actions.
    void removeOtherGroups();

    // Writes the entry to `filePath` whole or not at all; false when it could not.
    [[nodiscard]] bool save(const QString &filePath) const;

    // One argument of an Exec value: quoted where the shell would read it otherwise, and with
    // a percent sign that is not a field code.
    static QString execArgument(const QString &argument);

private:
    class KeyFile;

    DesktopEntry(QString filePath, std::unique_ptr<KeyFile> keyFile);

    QString m_filePath;
    // Owned alone: a copy sharing it would see another's changes.
    std::unique_ptr<KeyFile> m_keyFile;
};
