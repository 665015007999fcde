#include "platform/desktop/DesktopEntry.h"

#include "platform/desktop/GLibIncludes.h"

#include <QFile>

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

    static constexpr char groupName[] = "Desktop Entry";

private:
    GKeyFile *m_keyFile;
};

DesktopEntry::DesktopEntry(QString filePath, std::shared_ptr<KeyFile> keyFile)
    : m_filePath(std::move(filePath))
    , m_keyFile(std::move(keyFile))
{ }

std::optional<DesktopEntry> DesktopEntry::load(const QString &filePath)
{
    auto keyFile = std::make_shared<KeyFile>();
    const QByteArray path = QFile::encodeName(filePath);
    if (!g_key_file_load_from_file(keyFile->get(), path.constData(), G_KEY_FILE_NONE, nullptr)
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
    return g_key_file_get_boolean(m_keyFile->get(), KeyFile::groupName, "Hidden", nullptr);
}

QString DesktopEntry::localizedName() const
{
    return m_keyFile->string("Name", true);
}
