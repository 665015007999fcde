#include "platform/desktop/DesktopEntry.h"

#include "platform/desktop/GLibIncludes.h"

#include "platform/events/RegularFile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

class DesktopEntry::KeyFile
{
public:
    KeyFile()
        : m_keyFile(g_key_file_new())
    { }
    ~KeyFile() { g_key_file_free(m_keyFile); }
    KeyFile(const KeyFile &) = delete;
    KeyFile &operator=(const KeyFile &) = delete;

    GKeyFile *get() const { return m_keyFile; }

    QString string(const char *key, bool localized) const
    {
        gchar *value = localized ? g_key_file_get_locale_string(m_keyFile, groupName, key, nullptr, nullptr)
                                 : g_key_file_get_string(m_keyFile, groupName, key, nullptr);
        if (!value) {
            return {};
        }
        QString result = QString::fromUtf8(value);
        g_free(value);
        return result;
    }

    // Absent and unreadable values read as `fallback`.
    bool boolean(const char *key, bool fallback) const
    {
        GError *error = nullptr;
        const bool value = g_key_file_get_boolean(m_keyFile, groupName, key, &error);
        if (error) {
            g_error_free(error);
            return fallback;
        }
        return value;
    }

    static constexpr char groupName[] = "Desktop Entry";

private:
    GKeyFile *m_keyFile;
};

DesktopEntry::DesktopEntry(QString filePath, std::unique_ptr<KeyFile> keyFile)
    : m_filePath(std::move(filePath))
    , m_keyFile(std::move(keyFile))
{ }

DesktopEntry::DesktopEntry(DesktopEntry &&other) noexcept = default;
DesktopEntry &DesktopEntry::operator=(DesktopEntry &&other) noexcept = default;
DesktopEntry::~DesktopEntry() = default;

DesktopEntry DesktopEntry::create(const QString &type)
{
    DesktopEntry entry({}, std::make_unique<KeyFile>());
    entry.setString(QStringLiteral("Type"), type);
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::load(const QString &filePath)
{
    // Read by us, not by the key file's loader, whose open waits on a FIFO.
    const RegularFile::Contents file = RegularFile::read(filePath);
    if (file.status != RegularFile::Contents::Status::read) {
        return std::nullopt;
    }
    auto keyFile = std::make_unique<KeyFile>();
    const auto flags = GKeyFileFlags(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
    if (!g_key_file_load_from_data(
            keyFile->get(), file.bytes.constData(), gsize(file.bytes.size()), flags, nullptr)
        || !g_key_file_has_group(keyFile->get(), KeyFile::groupName)) {
        return std::nullopt;
    }
    return DesktopEntry(filePath, std::move(keyFile));
}

QString DesktopEntry::type() const
{
    return m_keyFile->string("Type", false);
}

bool DesktopEntry::isHidden() const
{
    return m_keyFile->boolean("Hidden", false);
}

bool DesktopEntry::isAutostartEnabled() const
{
    return !isHidden() && m_keyFile->boolean("X-GNOME-Autostart-enabled", true);
}

QString DesktopEntry::localizedName() const
{
    return m_keyFile->string("Name", true);
}

bool DesktopEntry::contains(const QString &key) const
{
    return g_key_file_has_key(m_keyFile->get(), KeyFile::groupName, key.toUtf8().constData(), nullptr);
}

void DesktopEntry::setString(const QString &key, const QString &value)
{
    g_key_file_set_string(
        m_keyFile->get(), KeyFile::groupName, key.toUtf8().constData(), value.toUtf8().constData());
}

void DesktopEntry::setBoolean(const QString &key, bool value)
{
    g_key_file_set_boolean(m_keyFile->get(), KeyFile::groupName, key.toUtf8().constData(), value);
}

void DesktopEntry::remove(const QString &key)
{
    g_key_file_remove_key(m_keyFile->get(), KeyFile::groupName, key.toUtf8().constData(), nullptr);
}

void DesktopEntry::removeOtherGroups()
{
    gchar **groups = g_key_file_get_groups(m_keyFile->get(), nullptr);
    for (gchar **group = groups; *group; ++group) {
        if (qstrcmp(*group, KeyFile::groupName) != 0) {
            g_key_file_remove_group(m_keyFile->get(), *group, nullptr);
        }
    }
    g_strfreev(groups);
}

bool DesktopEntry::save(const QString &filePath) const
{
    gsize length = 0;
    gchar *data = g_key_file_to_data(m_keyFile->get(), &length, nullptr);
    const QByteArray text(data, qsizetype(length));
    g_free(data);
    QSaveFile file(filePath);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

QString DesktopEntry::execArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes = std::ranges::any_of(argument, [](QChar c) { return reserved.contains(c); });
    static const QString escapedInQuotes = QStringLiteral("\"`$\\");
    QString result;
    for (const QChar character : argument) {
        if (character == QLatin1Char('%')) {
            result += QLatin1Char('%'); // a field code otherwise
        } else if (needsQuotes && escapedInQuotes.contains(character)) {
            result += QLatin1Char('\\');
        }
        result += character;
    }
    return needsQuotes ? QLatin1Char('"') + result + QLatin1Char('"') : result;
}
