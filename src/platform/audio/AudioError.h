#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// A failure of the sound server or the media framework. `code` is the server's error number
// (soundServer) or the media framework's error code (media); `message` is meant for people.
struct AudioError
{
    enum class Domain { soundServer, media };

    Domain domain = Domain::media;
    int code = 0;
    QString message;
    // The operation could not be set up and never ran.
    bool duringSetUp = false;
    // The device asked for is not (or no longer) there.
    bool deviceGone = false;
    // The default input is an output's monitor: the sound played, not an input device.
    bool outputMonitor = false;
    // Nothing more could be written: no space is left where the file goes.
    bool diskFull = false;
    // Nobody answers where the sound server would: it is not running.
    bool serverNotRunning = false;

    friend bool operator==(const AudioError &, const AudioError &) = default;
};

// A value or the AudioError that prevented it.
template<typename T>
class AudioResult
{
public:
    AudioResult(T value)
        : m_data(std::in_place_index<0>, std::move(value))
    { }
    AudioResult(AudioError error)
        : m_data(std::in_place_index<1>, std::move(error))
    { }

    bool hasValue() const { return m_data.index() == 0; }
    explicit operator bool() const { return hasValue(); }
    const T &value() const & { return std::get<0>(m_data); }
    T &value() & { return std::get<0>(m_data); }
    T &&value() && { return std::get<0>(std::move(m_data)); }
    const AudioError &error() const { return std::get<1>(m_data); }

private:
    std::variant<T, AudioError> m_data;
};

template<>
class AudioResult<void>
{
public:
    AudioResult() = default;
    AudioResult(AudioError error)
        : m_error(std::move(error))
    { }

    bool hasValue() const { return !m_error; }
    explicit operator bool() const { return hasValue(); }
    const AudioError &error() const { return *m_error; }

private:
    std::optional<AudioError> m_error;
};
