#pragma once

#include <QString>

#include <memory>
#include <optional>

// One desktop entry file (the freedesktop key file describing an installed application).
class DesktopEntry
{
public:
    // None when the file cannot be read or is not a desktop entry.
    static std::optional<DesktopEntry> load(const QString &filePath);

    const QString &filePath() const { return m_filePath; }
    // "Application", "Link" or "Directory".
    QString type() const;
    bool isApplication() const { return type() == QLatin1String("Application"); }
    // The entry was deleted by the user or administrator: it hides entries of the same ID
    // from directories of lower priority.
    bool isHidden() const;
    // The Name key in the best-matching language of the current locale settings.
    QString localizedName() const;

private:
    class KeyFile;

    DesktopEntry(QString filePath, std::shared_ptr<KeyFile> keyFile);

    QString m_filePath;
    std::shared_ptr<KeyFile> m_keyFile;
};
