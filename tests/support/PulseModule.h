#pragma once

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
        const QString &name, const QStringList &arguments, QString *error = nullptr);
    // A silent input that can come and go, on whichever server the test desktop runs.
    static std::optional<PulseModule> loadNullSource(const QString &sourceName, int channels);

    unsigned index() const { return *m_index; }
    // Unloads now; returns whether the server accepted it.
    bool unload();

private:
    struct Unload
    {
        void operator()(const unsigned *index) const;
    };
    explicit PulseModule(unsigned index)
        : m_index(new unsigned(index))
    { }

    std::unique_ptr<unsigned, Unload> m_index;
};

} // namespace TestSupport
