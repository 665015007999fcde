#pragma once

#include "platform/hotkeys/HotKeys.h"

#include <map>
#include <memory>
#include <vector>

struct xcb_connection_t;
struct _XCBKeySymbols;
class QSocketNotifier;

// Hot keys as passive key grabs on the root window of an X connection of our own, read on the
// GUI thread. Each combination is grabbed with every Caps Lock / Num Lock state, so the locks
// do not change what the keys do.
class X11HotKeys final : public HotKeys
{
    Q_OBJECT

public:
    // None when the display cannot be reached.
    static std::unique_ptr<X11HotKeys> connect(const QString &display);
    ~X11HotKeys() override;

    Availability availability() const override;
    std::variant<HotKeyId, HotKeyError> registerHotKey(
        HotKeyCombination combination, Handler handler) override;
    void unregisterHotKey(HotKeyId id) override;
    std::optional<quint32> carbonKeyCodeForScanCode(quint32 scanCode) const override;

private:
    struct Grab
    {
        quint8 keycode;
        quint16 modifiers;
    };
    struct Registration
    {
        HotKeyCombination combination;
        std::vector<Grab> grabs;
        Handler handler;
        bool pressed = false;
    };

    X11HotKeys(xcb_connection_t *connection, int screenNumber);

    std::variant<std::vector<Grab>, HotKeyError> grabsFor(HotKeyCombination combination) const;
    bool grab(const std::vector<Grab> &grabs);
    void ungrab(const std::vector<Grab> &grabs);
    std::vector<quint16> lockVariants() const;
    void readKeyboardMapping();
    void keyboardMappingChanged();
    void readEvents();
    void scheduleRead();
    void keyPressed(quint8 keycode, quint16 state);
    void keyReleased(quint8 keycode);
    void run(HotKeyId id, HotKeyPhase phase);

    xcb_connection_t *m_connection;
    quint32 m_root = 0;
    _XCBKeySymbols *m_symbols = nullptr;
    quint16 m_numLockMask = 0;
    bool m_detectableAutoRepeat = false;
    bool m_connectionLost = false;
    QSocketNotifier *m_notifier = nullptr;
    std::map<HotKeyId, Registration> m_registrations;
    HotKeyId m_nextId = 1;
};
