#include "preferences/DefaultsPropagation.h"

#include <utility>

namespace Defaults {

namespace {

thread_local bool threadUpdatingValuesFlag = false;

class FlagScope
{
public:
    FlagScope()
        : m_previous(std::exchange(threadUpdatingValuesFlag, true))
    { }
    ~FlagScope() { threadUpdatingValuesFlag = m_previous; }
    FlagScope(const FlagScope &) = delete;
    FlagScope &operator=(const FlagScope &) = delete;

private:
    bool m_previous;
};

} // namespace

bool isUpdatingValuesOnCurrentThread()
{
    return threadUpdatingValuesFlag;
}

void withoutPropagation(const std::function<void()> &closure)
{
    const FlagScope scope;
    closure();
}

} // namespace Defaults
