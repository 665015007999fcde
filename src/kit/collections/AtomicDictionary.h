#pragma once

#include "kit/collections/Describe.h"
#include "kit/collections/ReadersWriterLock.h"

#include <cstddef>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

// A dictionary any thread may read and write; its storage lives behind its own lock.
template<typename Key, typename Value, typename Hash = std::hash<Key>>
class AtomicDictionary
{
public:
    using Dictionary = std::unordered_map<Key, Value, Hash>;
    static constexpr const char *lockLabelText = "com.larkvelden.AtomicDictionary";

    AtomicDictionary()
        : m_lock(QString::fromLatin1(lockLabelText))
    { }
    AtomicDictionary(const AtomicDictionary &) = delete;
    AtomicDictionary &operator=(const AtomicDictionary &) = delete;

    QString lockLabel() const { return m_lock.label(); }

    std::optional<Value> value(const Key &key) const
    {
        return m_lock.concurrentlyRead([&]() -> std::optional<Value> {
            const auto found = m_storage.find(key);
            if (found == m_storage.end()) {
                return std::nullopt;
            }
            return found->second;
        });
    }

    // No value removes the key.
    void setValue(const Key &key, std::optional<Value> newValue)
    {
        m_lock.exclusivelyWrite([this, key, newValue = std::move(newValue)]() mutable {
            if (newValue) {
                m_storage.insert_or_assign(std::move(key), std::move(*newValue));
            } else {
                m_storage.erase(key);
            }
        });
    }

    void remove(const Key &key) { setValue(key, std::nullopt); }

    // Reads, changes and stores the value of `key` as one step, so concurrent updates are
    // never lost. `change` gets the current value (none when absent) and may set it to none
    // to remove the key; what it has changed is stored even when it throws, and the
    // exception then reaches the caller. `change` must not use this dictionary.
    template<typename Change>
    std::invoke_result_t<Change &, std::optional<Value> &> update(const Key &key, Change &&change)
    {
        return m_lock.exclusivelyUpdate([&]() -> decltype(auto) {
            WriteBack writeBack { m_storage, key, {} };
            const auto found = m_storage.find(key);
            if (found != m_storage.end()) {
                writeBack.value = std::move(found->second);
            }
            return change(writeBack.value);
        });
    }

    // Every pair of `pairs` is stored; a key already present takes the new value.
    void append(Dictionary pairs)
    {
        m_lock.exclusivelyWrite([this, pairs = std::move(pairs)]() mutable {
            for (auto &pair : pairs) {
                m_storage.insert_or_assign(pair.first, std::move(pair.second));
            }
        });
    }

    // A snapshot: later writes do not reach it. Iterating the dictionary iterates this.
    Dictionary toDictionary() const
    {
        return m_lock.concurrentlyRead([&] { return m_storage; });
    }

    std::vector<Key> keys() const
    {
        return m_lock.concurrentlyRead([&] {
            std::vector<Key> result;
            result.reserve(m_storage.size());
            for (const auto &pair : m_storage) {
                result.push_back(pair.first);
            }
            return result;
        });
    }

    // Iterates a snapshot taken when iteration begins; writes made meanwhile are not seen.
    class SnapshotIterator
    {
    public:
        using value_type = typename Dictionary::value_type;
        using difference_type = std::ptrdiff_t;

        SnapshotIterator() = default;
        explicit SnapshotIterator(std::shared_ptr<const Dictionary> snapshot)
            : m_snapshot(std::move(snapshot))
            , m_position(m_snapshot->begin())
        { }

        const value_type &operator*() const { return *m_position; }
        const value_type *operator->() const { return &*m_position; }
        SnapshotIterator &operator++()
        {
            ++m_position;
            return *this;
        }
        void operator++(int) { ++m_position; }
        friend bool operator==(const SnapshotIterator &it, std::default_sentinel_t)
        {
            return !it.m_snapshot || it.m_position == it.m_snapshot->end();
        }

    private:
        std::shared_ptr<const Dictionary> m_snapshot;
        typename Dictionary::const_iterator m_position;
    };

    SnapshotIterator begin() const
    {
        return SnapshotIterator(std::make_shared<const Dictionary>(toDictionary()));
    }
    std::default_sentinel_t end() const { return {}; }

    QString debugDescription() const
    {
        return m_lock.concurrentlyRead([&] { return describePairs(m_storage); });
    }

private:
    struct WriteBack
    {
        Dictionary &storage;
        const Key &key;
        std::optional<Value> value;

        ~WriteBack()
        {
            if (value) {
                storage.insert_or_assign(key, std::move(*value));
            } else {
                storage.erase(key);
            }
        }
    };

    mutable ReadersWriterLock m_lock;
    Dictionary m_storage;
};
