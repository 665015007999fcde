#pragma once

// Work handed to another thread through Qt (a queued call, the thread pool) is ordered by Qt's own
// locks, which a thread-sanitizer build cannot see because Qt is not built with it. Marking each
// hand-over tells the sanitizer what Qt guarantees; in every other build these compile to nothing.
// One token serves every hand-over: the receiver must not read the work (its captures) before
// taking it over, so it cannot find a token of its own there.

#if defined(__SANITIZE_THREAD__)
#    define TAPEWICK_THREAD_SANITIZER 1
#elif defined(__has_feature)
#    if __has_feature(thread_sanitizer)
#        define TAPEWICK_THREAD_SANITIZER 1
#    endif
#endif

#if defined(TAPEWICK_THREAD_SANITIZER)
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
#endif

namespace Events {

namespace ThreadHandoffDetail {
inline char token;
}

// On the handing thread, once the work is built and just before Qt takes it.
inline void handOver()
{
#if defined(TAPEWICK_THREAD_SANITIZER)
    __tsan_release(&ThreadHandoffDetail::token);
#endif
}

// On the receiving thread, before it reads anything handed over.
inline void takeOver()
{
#if defined(TAPEWICK_THREAD_SANITIZER)
    __tsan_acquire(&ThreadHandoffDetail::token);
#endif
}

} // namespace Events
