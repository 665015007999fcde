#include "preferences/ConsumerWaker.h"

namespace Defaults::Detail {

void ConsumerWaker::wake()
{
    {
        const std::lock_guard lock(m_producerLock);
    }
    m_consumer.resume();
}

} // namespace Defaults::Detail
