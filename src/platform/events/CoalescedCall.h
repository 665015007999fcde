#pragma once

#include <QObject>

#include <functional>

// A call that runs once on the next turn of the GUI thread's event loop, however often it was asked
// for in this one: several changes in one turn reach whoever hears of them once. Keep it a member of
// `context`, which it runs on and goes with.
class CoalescedCall
{
public:
    CoalescedCall(QObject *context, std::function<void()> call);

    void schedule();

private:
    QObject *m_context;
    std::function<void()> m_call;
    bool m_scheduled = false;
};
