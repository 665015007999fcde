#pragma once

#include <functional>
#include <utility>

namespace Defaults {

// A two-way handle on a value kept elsewhere, for controls that read and write it.
template<class V>
class Binding
{
public:
    Binding(std::function<V()> get, std::function<void(const V &)> set)
        : m_get(std::move(get))
        , m_set(std::move(set))
    { }

    V value() const { return m_get(); }
    void setValue(const V &value) const { m_set(value); }

private:
    std::function<V()> m_get;
    std::function<void(const V &)> m_set;
};

} // namespace Defaults
