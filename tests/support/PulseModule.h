#pragma once

#include "Pactl.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace TestSupport {

// A sound server module loaded for one test and unloaded when this goes away,
// e.g. a source with chosen device properties:
//   PulseModule::load("module-remap-source",
//                     {"source_name=usb_mic", "master=" + feed + ".monitor",
//                      "source_properties=device.bus=usb"})
// Unloads by index: unloading by name would take every instance with it.
class PulseModule
{
public:
    static std::optional<PulseModule> load(
        const QString &name, const QStringList &arguments, QString *error = nullptr)
    {
        const CommandResult result
            = Pactl::run(QStringList { QStringLiteral("load-module"), name } + arguments);
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

    // A silent input that can come and go, on whichever server the test desktop runs.
    static std::optional<PulseModule> loadNullSource(const QString &sourceName, int channels)
    {
        const QString channelCount = QStringLiteral("channels=%1").arg(channels);
        // PipeWire's pulse server has no null source; a null sink of the source class is its stand-in.
        if (qEnvironmentVariable("TAPEWICK_TEST_SOUND_SERVER") == u"pipewire") {
            return load(QStringLiteral("module-null-sink"),
                { QStringLiteral("sink_name=") + sourceName, channelCount,
                    QStringLiteral("sink_properties=media.class=Audio/Source/Virtual") });
        }
        return load(QStringLiteral("module-null-source"),
            { QStringLiteral("source_name=") + sourceName, channelCount });
    }

    // Unloads now; returns whether the server accepted it.
    bool unload()
    {
        const std::unique_ptr<const unsigned> index(m_index.release());
        return index && unloadModule(*index);
    }

private:
    static bool unloadModule(unsigned index)
    {
        return Pactl::run({ QStringLiteral("unload-module"), QString::number(index) }).succeeded();
    }
    struct Unload
    {
        void operator()(const unsigned *index) const
        {
            unloadModule(*index);
            delete index;
        }
    };
    explicit PulseModule(unsigned index)
        : m_index(new unsigned(index))
    { }

    std::unique_ptr<unsigned, Unload> m_index;
};

} // namespace TestSupport
