#include "shortcuts/Shortcut.h"

#include "platform/hotkeys/HotKeyCombination.h"
#include "platform/hotkeys/KeyTable.h"
#include "platform/userdefaults/PropertyValue.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace KeyboardShortcuts {

namespace {

const char keyCodeField[] = "carbonKeyCode";
const char modifiersField[] = "carbonModifiers";

const KeyTableEntry *keyOf(const Shortcut &shortcut)
{
    return shortcut.carbonKeyCode < 0 ? nullptr : KeyTable::forCarbonKeyCode(quint32(shortcut.carbonKeyCode));
}

// Through the store's exact conversion: a hand-edited number an int cannot hold reads as none.
std::optional<std::int32_t> wholeNumber(const QJsonValue &value)
{
    const std::optional<std::int32_t> number
        = value.isDouble() ? PropertyValue(value.toDouble()).exactNumber<std::int32_t>() : std::nullopt;
    return number && *number >= 0 ? number : std::nullopt;
}

} // namespace

QString Shortcut::keyEquivalent() const
{
    const KeyTableEntry *key = keyOf(*this);
    return key ? QString(QChar(key->keyEquivalent)) : QString();
}

Qt::KeyboardModifiers Shortcut::modifiers() const
{
    Qt::KeyboardModifiers result;
    const auto bits = quint32(carbonModifiers);
    result.setFlag(Qt::MetaModifier, bits & CarbonModifier::command);
    result.setFlag(Qt::ShiftModifier, bits & CarbonModifier::shift);
    result.setFlag(Qt::AltModifier, bits & CarbonModifier::option);
    result.setFlag(Qt::ControlModifier, bits & CarbonModifier::control);
    return result;
}

QKeySequence Shortcut::keySequence() const
{
    const KeyTableEntry *key = keyOf(*this);
    if (!key) {
        return {};
    }
    const Qt::KeyboardModifiers keypad = key->keypad ? Qt::KeypadModifier : Qt::NoModifier;
    return QKeySequence(QKeyCombination(modifiers() | keypad, key->qtKey));
}

QString Shortcut::description() const
{
    return keySequence().toString(QKeySequence::NativeText);
}

std::string Shortcut::toJson() const
{
    const QJsonObject object { { keyCodeField, carbonKeyCode }, { modifiersField, carbonModifiers } };
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<Shortcut> Shortcut::fromJson(std::string_view json)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json.data(), qsizetype(json.size())));
    if (!document.isObject()) {
        return std::nullopt;
    }
    const auto keyCode = wholeNumber(document.object().value(keyCodeField));
    const auto modifiers = wholeNumber(document.object().value(modifiersField));
    if (!keyCode || !modifiers || (quint32(*modifiers) & ~CarbonModifier::all) != 0) {
        return std::nullopt;
    }
    const Shortcut shortcut { *keyCode, *modifiers };
    if (!keyOf(shortcut)) {
        return std::nullopt;
    }
    return shortcut;
}

} // namespace KeyboardShortcuts
