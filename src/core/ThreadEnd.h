#pragma once

// Qt is not built for ThreadSanitizer: a worker's end, seen through QThread::wait()
// or finished(), comes from locks the sanitizer cannot see. A worker marks the end of
// its run and its owner the wait, so that everything the run wrote is known to come
// before what the owner does next. No code at all in other builds.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace threadend
{

// Declared first in run(): marks the end of the run however it returns.
class RunEnd
{
public:
    explicit RunEnd(void* worker)
        : m_worker(worker)
    {}

    ~RunEnd()
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_release(m_worker);
#endif
    }

    RunEnd(const RunEnd&) = delete;
    RunEnd& operator=(const RunEnd&) = delete;

private:
    [[maybe_unused]] void* m_worker;
};

// After wait() on `worker`, or once its finished() arrived.
inline void joined([[maybe_unused]] void* worker)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(worker);
#endif
}

}  // namespace threadend
