#pragma once

#include "platform/userdefaults/KeyValueChange.h"
#include "platform/userdefaults/PropertyValue.h"
#include "platform/userdefaults/UserDefaultsFileIdentity.h"

#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class UserDefaultsFile;
class UserDefaultsWatcher;

// The user-defaults database: typed property-list values per key, kept in one JSON file per suite
// under $XDG_CONFIG_HOME/tapewick/, with defaults registered in memory only. There is one instance
// per suite in a process; every method may be called from any thread. Observers are called
// synchronously on the thread that made the change (for another process's change of the file, on
// the application's main thread) and never while a lock is held, so they may read and write.
class UserDefaults
{
public:
    // The standard suite lives as long as the process; its file is located (XDG_CONFIG_HOME) when
    // it is first used.
    static std::shared_ptr<UserDefaults> standard();
    // A named suite; the same object while anyone holds it. An empty name is the standard suite.
    static std::shared_ptr<UserDefaults> suite(const std::string &name);

    ~UserDefaults();
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    const std::string &suiteName() const { return m_suiteName; }
    QString filePath() const;

    // The stored value, else the registered default, else none.
    std::optional<PropertyValue> object(std::string_view key) const;
    // The value as text, when it is text.
    std::optional<std::string> string(std::string_view key) const;

    // Stores the value; none removes the stored value.
    void setObject(const std::string &key, std::optional<PropertyValue> value);
    void removeObject(const std::string &key);

    // Adds to the in-memory registration domain; a later registration of a name replaces it.
    void registerDefaults(const PropertyDictionary &defaults);

    // Registered defaults overlaid with the stored values.
    PropertyDictionary dictionaryRepresentation() const;

    // Removes every stored value (registered defaults stay), notifying each removed key.
    void removeAll();

    // With Initial the observer is called once before this returns, with the current value.
    KeyValueObserverId addObserver(
        const std::string &key, KeyValueObservingOptions options, KeyValueObserver observer);
    // Called once after every change of stored values, whatever the keys; removed with
    // removeObserver.
    KeyValueObserverId addChangeObserver(std::function<void()> observer);
    // Unknown or already removed ids are ignored. A call already running on another thread may
    // still finish after this returns.
    void removeObserver(KeyValueObserverId id);

    // Re-reads the file when another process changed it and notifies the keys that differ. The
    // watcher calls it; it is public so that a caller can force the check.
    void synchronizeFromDisk();

private:
    struct Observer;
    struct Notification
    {
        std::string key;
        std::optional<PropertyValue> oldValue;
        std::optional<PropertyValue> newValue;
        bool priorDelivered = false;
    };
    enum class Phase { Prior, Change };
    // One write of a key: a value to store, or none to remove.
    using Edit = std::pair<std::string, std::optional<PropertyValue>>;

    explicit UserDefaults(std::string suiteName);
    static std::shared_ptr<UserDefaults> create(const std::string &suiteName);

    std::optional<PropertyValue> effectiveLocked(std::string_view key) const;
    void apply(std::vector<Edit> edits);
    void mergeExternalLocked(std::vector<Notification> &notifications);
    void writeLocked();
    // The file exists but cannot be read: it is never replaced while that lasts.
    void refuseWritesLocked(const QString &reason);
    // Each reason is logged once, not on every write it stops.
    void logRefusalLocked(const QString &reason);
    void notify(const std::vector<Notification> &notifications, Phase phase) const;

    const std::string m_suiteName;
    mutable std::mutex m_mutex;
    PropertyDictionary m_stored;
    PropertyDictionary m_registered;
    std::map<std::string, std::string, std::less<>> m_undecodable;
    std::unique_ptr<UserDefaultsFile> m_file;
    UserDefaultsFileIdentity m_identity;
    std::optional<QString> m_refusal;
    QString m_loggedRefusal;
    std::vector<std::shared_ptr<Observer>> m_observers;
    KeyValueObserverId m_nextObserverId = 1;
    UserDefaultsWatcher *m_watcher = nullptr;
};
