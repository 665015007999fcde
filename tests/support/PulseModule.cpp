#include "PulseModule.h"

#include "Pactl.h"

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

namespace {

bool unloadModule(unsigned index)
{
    return Pactl::run({ QStringLiteral("unload-module"), QString::number(index) }).succeeded();
}

} // namespace

void PulseModule::Unload::operator()(const unsigned *index) const
{
    unloadModule(*index);
    delete index;
}

bool PulseModule::unload()
{
    const std::unique_ptr<const unsigned> index(m_index.release());
    return index && unloadModule(*index);
}

} // namespace TestSupport
