#pragma once

#include <QString>

// What the file services say when they fail. `name` is the item's name, `done` what was to be done
// to it ("copied", "moved"), `folder` the name of the folder that was to hold it.
namespace FileTexts {

inline QString alreadyExists(const QString &name, const QString &done)
{
    return QStringLiteral(
        "\u201c%1\u201d couldn\u2019t be %2 because an item with the same name already exists.")
        .arg(name, done);
}

inline QString noSuchFile(const QString &name)
{
    return QStringLiteral("The file \u201c%1\u201d doesn\u2019t exist.").arg(name);
}

// A full disk, in the same words wherever a file of the program's runs out of room.
inline QString diskFull()
{
    return QStringLiteral("There is no space left on the disk.");
}

inline QString failed(const QString &name, const QString &done, const QString &reason)
{
    return QStringLiteral("\u201c%1\u201d couldn\u2019t be %2: %3").arg(name, done, reason);
}

inline QString noPermission(const QString &name, const QString &done, const QString &folder)
{
    return QStringLiteral("\u201c%1\u201d couldn\u2019t be %2 because you don\u2019t have permission to "
                          "write in the folder \u201c%3\u201d.")
        .arg(name, done, folder);
}

// A folder of the system's own that holds only what the system puts there.
inline QString takesNoNewItems(const QString &name, const QString &done, const QString &folder)
{
    return QStringLiteral(
        "\u201c%1\u201d couldn\u2019t be %2 because the folder \u201c%3\u201d doesn\u2019t accept new files.")
        .arg(name, done, folder);
}

inline QString readOnlyFileSystem(const QString &name, const QString &done, const QString &folder)
{
    return QStringLiteral(
        "\u201c%1\u201d couldn\u2019t be %2 because the folder \u201c%3\u201d is on a read-only file system.")
        .arg(name, done, folder);
}

inline QString folderMissing(const QString &name, const QString &done, const QString &folder)
{
    return QStringLiteral(
        "\u201c%1\u201d couldn\u2019t be %2 because the folder \u201c%3\u201d doesn\u2019t exist.")
        .arg(name, done, folder);
}

// `item` is a file where a folder was to be.
inline QString notAFolder(const QString &name, const QString &done, const QString &item)
{
    return QStringLiteral("\u201c%1\u201d couldn\u2019t be %2 because \u201c%3\u201d is not a folder.")
        .arg(name, done, item);
}

} // namespace FileTexts
