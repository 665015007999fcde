#include "platform/events/CoalescedCall.h"

CoalescedCall::CoalescedCall(QObject *context, std::function<void()> call)
    : m_context(context)
    , m_call(std::move(call))
{ }

void CoalescedCall::schedule()
{
    if (m_scheduled) {
        return;
    }
    m_scheduled = true;
    // Queued on the context, the call is dropped with it.
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            m_scheduled = false;
            m_call();
        },
        Qt::QueuedConnection);
}
