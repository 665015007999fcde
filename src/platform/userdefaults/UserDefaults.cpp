#include "platform/userdefaults/UserDefaults.h"

#include "platform/userdefaults/UserDefaultsFile.h"
#include "platform/userdefaults/UserDefaultsLogging.h"
#include "platform/userdefaults/UserDefaultsWatcher.h"

#include <algorithm>
#include <atomic>
#include <map>

struct UserDefaults::Observer
{
    KeyValueObserverId id = 0;
    std::string key;
    KeyValueObservingOptions options = 0;
    KeyValueObserver callback;
    // Set for an observer of every change, which has no key.
    std::function<void()> changeCallback;
    std::atomic<bool> active { true };
};

namespace {

std::mutex &registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, std::weak_ptr<UserDefaults>> &registry()
{
    static std::map<std::string, std::weak_ptr<UserDefaults>> suites;
    return suites;
}

} // namespace

std::shared_ptr<UserDefaults> UserDefaults::standard()
{
    static const std::shared_ptr<UserDefaults> standardSuite = suite(std::string());
    return standardSuite;
}

std::shared_ptr<UserDefaults> UserDefaults::suite(const std::string &name)
{
    std::lock_guard lock(registryMutex());
    if (std::shared_ptr<UserDefaults> existing = registry()[name].lock()) {
        return existing;
    }
    std::shared_ptr<UserDefaults> created = create(name);
    registry()[name] = created;
    return created;
}

std::shared_ptr<UserDefaults> UserDefaults::create(const std::string &suiteName)
{
    std::shared_ptr<UserDefaults> defaults(new UserDefaults(suiteName));
    std::weak_ptr<UserDefaults> weak = defaults;
    defaults->m_watcher
        = UserDefaultsWatcher::create(defaults->m_file->directory(), defaults->m_file->fileName(), [weak] {
              if (std::shared_ptr<UserDefaults> self = weak.lock()) {
                  self->synchronizeFromDisk();
              }
          });
    return defaults;
}

UserDefaults::UserDefaults(std::string suiteName)
    : m_suiteName(std::move(suiteName))
    , m_file(std::make_unique<UserDefaultsFile>(UserDefaultsFile::pathForSuite(m_suiteName)))
{
    m_file->ensureDirectory();
    UserDefaultsFile::ProcessLock lock(*m_file);
    UserDefaultsFile::LoadResult loaded = m_file->load(&m_identity);
    if (loaded.refusal) {
        refuseWritesLocked(*loaded.refusal);
    } else if (loaded.document) {
        m_stored = std::move(loaded.document->values);
        m_undecodable = std::move(loaded.document->undecodable);
    }
}

UserDefaults::~UserDefaults()
{
    if (m_watcher != nullptr) {
        m_watcher->dispose();
    }
}

QString UserDefaults::filePath() const
{
    return m_file->path();
}

std::optional<PropertyValue> UserDefaults::effectiveLocked(std::string_view key) const
{
    if (auto stored = m_stored.find(key); stored != m_stored.end()) {
        return stored->second;
    }
    if (auto registered = m_registered.find(key); registered != m_registered.end()) {
        return registered->second;
    }
    return std::nullopt;
}

std::optional<PropertyValue> UserDefaults::object(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    return effectiveLocked(key);
}

std::optional<std::string> UserDefaults::string(std::string_view key) const
{
    std::optional<PropertyValue> value = object(key);
    if (value && value->kind() == PropertyValue::Kind::String) {
        return *value->as<std::string>();
    }
    return std::nullopt;
}

void UserDefaults::setObject(const std::string &key, std::optional<PropertyValue> value)
{
    apply({ { key, std::move(value) } });
}

void UserDefaults::removeObject(const std::string &key)
{
    apply({ { key, std::nullopt } });
}

void UserDefaults::registerDefaults(const PropertyDictionary &defaults)
{
    std::lock_guard lock(m_mutex);
    for (const auto &[key, value] : defaults) {
        m_registered.insert_or_assign(key, value);
    }
}

PropertyDictionary UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(m_mutex);
    PropertyDictionary merged = m_registered;
    for (const auto &[key, value] : m_stored) {
        merged.insert_or_assign(key, value);
    }
    return merged;
}

void UserDefaults::removeAll()
{
    std::vector<Edit> edits;
    for (const auto &[key, value] : dictionaryRepresentation()) {
        edits.emplace_back(key, std::nullopt);
    }
    apply(std::move(edits));
}

void UserDefaults::apply(std::vector<Edit> edits)
{
    const auto changes = [this](const Edit &edit) { return edit.second || m_stored.contains(edit.first); };

    // The prior notice goes out before the value changes, outside the lock.
    std::vector<Notification> prior;
    {
        std::lock_guard lock(m_mutex);
        for (const Edit &edit : edits) {
            if (changes(edit)) {
                prior.push_back({ edit.first, effectiveLocked(edit.first), std::nullopt, true });
            }
        }
    }
    notify(prior, Phase::Prior);

    std::vector<Notification> notifications;
    {
        std::lock_guard lock(m_mutex);
        UserDefaultsFile::ProcessLock processLock(*m_file);
        if (!processLock.isLocked()) {
            logRefusalLocked(processLock.failure());
        }
        mergeExternalLocked(notifications);
        bool write = false;
        for (Edit &edit : edits) {
            write = m_undecodable.erase(edit.first) > 0 || write;
            if (!changes(edit)) {
                continue;
            }
            Notification notification { edit.first, effectiveLocked(edit.first), std::nullopt, true };
            if (edit.second) {
                m_stored.insert_or_assign(edit.first, std::move(*edit.second));
            } else {
                m_stored.erase(edit.first);
            }
            notification.newValue = effectiveLocked(notification.key);
            notifications.push_back(std::move(notification));
            write = true;
        }
        if (write && processLock.isLocked()) {
            writeLocked();
        }
    }
    notify(notifications, Phase::Change);
}

void UserDefaults::synchronizeFromDisk()
{
    std::vector<Notification> notifications;
    {
        std::lock_guard lock(m_mutex);
        UserDefaultsFile::ProcessLock processLock(*m_file);
        mergeExternalLocked(notifications);
    }
    notify(notifications, Phase::Change);
}

void UserDefaults::mergeExternalLocked(std::vector<Notification> &notifications)
{
    // An unreadable file is tried again each time: its permissions may have been mended.
    if (!m_refusal && m_file->currentIdentity() == m_identity) {
        return;
    }
    UserDefaultsFile::LoadResult loaded = m_file->load(&m_identity);
    if (loaded.refusal) {
        refuseWritesLocked(*loaded.refusal);
        return;
    }
    m_refusal.reset();
    if (!loaded.document) {
        // The broken file was moved aside; what this process holds is the last good state.
        writeLocked();
        return;
    }
    PropertyDictionary before = std::move(m_stored);
    m_stored = std::move(loaded.document->values);
    m_undecodable = std::move(loaded.document->undecodable);
    std::vector<std::string> keys;
    for (const auto &[key, value] : before) {
        keys.push_back(key);
    }
    for (const auto &[key, value] : m_stored) {
        if (!before.contains(key)) {
            keys.push_back(key);
        }
    }
    for (const std::string &key : keys) {
        std::optional<PropertyValue> oldValue;
        if (auto found = before.find(key); found != before.end()) {
            oldValue = found->second;
        } else if (auto registered = m_registered.find(key); registered != m_registered.end()) {
            oldValue = registered->second;
        }
        std::optional<PropertyValue> newValue = effectiveLocked(key);
        if (oldValue != newValue) {
            notifications.push_back({ key, std::move(oldValue), std::move(newValue), false });
        }
    }
}

void UserDefaults::refuseWritesLocked(const QString &reason)
{
    m_refusal = reason;
    logRefusalLocked(reason);
}

void UserDefaults::logRefusalLocked(const QString &reason)
{
    if (reason != m_loggedRefusal) {
        qCWarning(lcUserDefaults).noquote() << "settings are not saved:" << reason;
        m_loggedRefusal = reason;
    }
}

void UserDefaults::writeLocked()
{
    // Values changed meanwhile stay in memory for this process; the file keeps what it holds.
    if (m_refusal) {
        logRefusalLocked(*m_refusal);
        return;
    }
    PropertyJson::Document document { m_stored, m_undecodable };
    m_file->write(document, &m_identity);
}

KeyValueObserverId UserDefaults::addObserver(
    const std::string &key, KeyValueObservingOptions options, KeyValueObserver callback)
{
    auto observer = std::make_shared<Observer>();
    observer->key = key;
    observer->options = options;
    observer->callback = std::move(callback);
    std::optional<PropertyValue> current;
    {
        std::lock_guard lock(m_mutex);
        observer->id = m_nextObserverId++;
        m_observers.push_back(observer);
        current = effectiveLocked(key);
    }
    if (hasOption(options, KeyValueObservingOption::Initial)) {
        KeyValueChange change;
        change.object = this;
        change.key = key;
        if (hasOption(options, KeyValueObservingOption::New)) {
            change.newValue = std::move(current);
        }
        observer->callback(change);
    }
    return observer->id;
}

KeyValueObserverId UserDefaults::addChangeObserver(std::function<void()> callback)
{
    auto observer = std::make_shared<Observer>();
    observer->changeCallback = std::move(callback);
    std::lock_guard lock(m_mutex);
    observer->id = m_nextObserverId++;
    m_observers.push_back(observer);
    return observer->id;
}

void UserDefaults::removeObserver(KeyValueObserverId id)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [id](const std::shared_ptr<Observer> &observer) {
        if (observer->id != id) {
            return false;
        }
        observer->active = false;
        return true;
    });
}

void UserDefaults::notify(const std::vector<Notification> &notifications, Phase phase) const
{
    if (notifications.empty()) {
        return;
    }
    std::vector<std::shared_ptr<Observer>> observers;
    {
        std::lock_guard lock(m_mutex);
        observers = m_observers;
    }
    const auto deliver = [this](Observer &observer, const Notification &notification, bool isPrior) {
        if (!observer.active) {
            return;
        }
        KeyValueChange change;
        change.object = const_cast<UserDefaults *>(this);
        change.key = notification.key;
        change.isPrior = isPrior;
        if (hasOption(observer.options, KeyValueObservingOption::Old)) {
            change.oldValue = notification.oldValue;
        }
        if (!isPrior && hasOption(observer.options, KeyValueObservingOption::New)) {
            change.newValue = notification.newValue;
        }
        observer.callback(change);
    };
    for (const Notification &notification : notifications) {
        for (const std::shared_ptr<Observer> &observer : observers) {
            if (observer->changeCallback || observer->key != notification.key) {
                continue;
            }
            const bool wantsPrior = hasOption(observer->options, KeyValueObservingOption::Prior);
            if (phase == Phase::Prior || !notification.priorDelivered) {
                if (wantsPrior) {
                    deliver(*observer, notification, true);
                }
            }
            if (phase == Phase::Change) {
                deliver(*observer, notification, false);
            }
        }
    }
    if (phase == Phase::Change) {
        for (const std::shared_ptr<Observer> &observer : observers) {
            if (observer->changeCallback && observer->active) {
                observer->changeCallback();
            }
        }
    }
}
