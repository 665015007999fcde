#pragma once

#include <QString>
#include <QStringList>

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

    PulseModule(PulseModule &&other) noexcept;
    PulseModule &operator=(PulseModule &&other) noexcept;
    PulseModule(const PulseModule &) = delete;
    PulseModule &operator=(const PulseModule &) = delete;
    ~PulseModule();

    unsigned index() const { return m_index; }
    // Unloads now; returns whether the server accepted it.
    bool unload();

private:
    explicit PulseModule(unsigned index)
        : m_index(index)
    { }

    unsigned m_index = 0;
    bool m_loaded = true;
};

} // namespace TestSupport
