#pragma once

#include <QByteArray>
#include <QColor>

#include <concepts>
#include <optional>
#include <stdexcept>

// Archiving a value into bytes, the stand-in for secure keyed archiving. KeyedArchiving<T>::archive
// gives none when the value cannot be archived; unarchive throws KeyedArchiveError for bytes that
// are no archive of a T.
class KeyedArchiveError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

template<class T>
struct KeyedArchiving;

template<class T>
concept SecureCodable = requires(const T &value, const QByteArray &bytes)
{
    {
        KeyedArchiving<T>::archive(value)
        } -> std::same_as<std::optional<QByteArray>>;
    {
        KeyedArchiving<T>::unarchive(bytes)
        } -> std::same_as<T>;
};

// Colours are archived in a format of our own: a magic prefix and a JSON object naming the class
// and the colour's components, 16-bit RGBA for ordinary colours and floats for extended ones
// (components outside 0...1 survive).
template<>
struct KeyedArchiving<QColor>
{
    static std::optional<QByteArray> archive(const QColor &color);
    static QColor unarchive(const QByteArray &bytes);
};
