#include "preferences/DefaultsKey.h"

#include "kit/collections/HashCombine.h"

#include <functional>

namespace Defaults {

Keys::Keys(std::string name, std::shared_ptr<UserDefaults> suite)
    : m_name(std::move(name))
    , m_suite(std::move(suite))
{ }

void Keys::reset() const
{
    m_suite->removeObject(m_name);
}

std::size_t Keys::hash() const
{
    std::size_t seed = std::hash<std::string> {}(m_name);
    hashCombine(seed, std::hash<const UserDefaults *> {}(m_suite.get()));
    return seed;
}

} // namespace Defaults
