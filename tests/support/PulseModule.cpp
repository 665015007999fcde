#include "PulseModule.h"

#include "Pactl.h"

#include <utility>

namespace TestSupport {

std::optional<PulseModule> PulseModule::load(
    const QString &name, const QStringList &arguments, QString *error)
{
    const CommandResult result = Pactl::run(QStringList { QStringLiteral("load-module"), name } + arguments);
    bool ok = false;
    const unsigned index = result.output.trimmed().toUInt(&ok);
    if (!result.succeeded() || !ok) {
        if (error) {
            *error = QStringLiteral("loading %1 failed: %2").arg(name, result.describe());
        }
        return std::nullopt;
    }
    return PulseModule(index);
}

std::optional<PulseModule> PulseModule::loadNullSource(const QString &sourceName, int channels)
{
    const QString channelCount = QStringLiteral("channels=%1").arg(channels);
    // PipeWire's pulse server has no null source; a null sink of the source class is its stand-in.
    if (qEnvironmentVariable("TAPEWICK_TEST_SOUND_SERVER") == u"pipewire") {
        return load(QStringLiteral("module-null-sink"),
            { QStringLiteral("sink_name=") + sourceName, channelCount,
                QStringLiteral("sink_properties=media.class=Audio/Source/Virtual") });
    }
    return load(
        QStringLiteral("module-null-source"), { QStringLiteral("source_name=") + sourceName, channelCount });
}

PulseModule::PulseModule(PulseModule &&other) noexcept
    : m_index(other.m_index)
    , m_loaded(std::exchange(other.m_loaded, false))
{ }

PulseModule &PulseModule::operator=(PulseModule &&other) noexcept
{
    if (this != &other) {
        unload();
        m_index = other.m_index;
        m_loaded = std::exchange(other.m_loaded, false);
    }
    return *this;
}

PulseModule::~PulseModule()
{
    unload();
}

bool PulseModule::unload()
{
    if (!std::exchange(m_loaded, false)) {
        return false;
    }
    return Pactl::run({ QStringLiteral("unload-module"), QString::number(m_index) }).succeeded();
}

} // namespace TestSupport
