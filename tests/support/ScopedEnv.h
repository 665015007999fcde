#pragma once

#include <QFile>
#include <QString>

namespace TestSupport {

// Sets an environment variable for the life of the object, then restores what was there.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QString &value)
        : m_name(name)
        , m_previous(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() { m_previous.isNull() ? qunsetenv(m_name) : qputenv(m_name, m_previous); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    QByteArray m_previous;
};

} // namespace TestSupport
