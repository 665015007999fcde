#include "kit/ui/ActivationPolicy.h"

#include <atomic>

namespace {
std::atomic<ActivationPolicy> currentPolicy { ActivationPolicy::accessory };
} // namespace

namespace Activation {

ActivationPolicy policy()
{
    return currentPolicy.load();
}

void setPolicy(ActivationPolicy policy)
{
    currentPolicy.store(policy);
}

} // namespace Activation
