#pragma once

#include "EventLoop.h"
#include "Pactl.h"

namespace TestSupport {

// Takes a source of the test desktop's sound server away, as a microphone is unplugged: its
// module is unloaded, and loaded again with its own arguments when this goes, the source then
// again the default input if it was that.
class RemovedSource
{
public:
    explicit RemovedSource(const QString &name)
        : m_name(name)
        , m_wasDefault(Pactl::defaultSource() == name)
    {
        for (const QString &line : Pactl::run({ "list", "short", "modules" }).output.split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() > 2 && fields[2].contains(QStringLiteral("source_name=%1 ").arg(name))) {
                m_module = fields[1];
                m_arguments = fields[2];
                const CommandResult unloaded = Pactl::run({ "unload-module", fields[0] });
                error = unloaded.succeeded() ? QString() : unloaded.describe();
                return;
            }
        }
        error = QStringLiteral("no module made the source %1").arg(name);
    }
    ~RemovedSource()
    {
        if (!error.isEmpty()) {
            return;
        }
        // pactl joins what follows the module's name into its arguments.
        Pactl::run({ QStringLiteral("load-module"), m_module, m_arguments });
        if (processEventsUntil([&] { return !Pactl::sourceDescription(m_name).isEmpty(); }) && m_wasDefault) {
            Pactl::run({ QStringLiteral("set-default-source"), m_name });
            // PipeWire's session manager makes it the default a moment after it is told to.
            processEventsUntil([&] { return Pactl::defaultSource() == m_name; });
        }
    }
    RemovedSource(const RemovedSource &) = delete;
    RemovedSource &operator=(const RemovedSource &) = delete;

    // Empty once the source is gone.
    QString error;

private:
    QString m_name;
    bool m_wasDefault;
    QString m_module;
    QString m_arguments;
};

} // namespace TestSupport
