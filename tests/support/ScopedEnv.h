#pragma once

#include <QFile>
#include <QString>

#include <optional>

namespace TestSupport {

// Sets an environment variable for the life of the object, then restores what was there.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QString &value)
        : m_name(name)
        , m_previous(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() { m_previous ? qputenv(m_name, *m_previous) : qunsetenv(m_name); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    std::optional<QByteArray> m_previous;
};

} // namespace TestSupport
