// The lock, wake-up signal and detached threads behind the icon loader. On
// Windows they are the system's own (a slim reader/writer lock, a condition
// variable, CreateThread): the standard ones of this compiler sit on a POSIX
// threads layer that would be linked into every shipped program for the
// loader's sake alone. Elsewhere (the platform-free build, with its
// sanitizers) they are the standard ones.
#pragma once

#include <chrono>
#include <memory>
#include <new>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace vorlane::launcher::sync {

#if defined(_WIN32)

class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class ConditionVariable {
 public:
  ConditionVariable() = default;
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;

  void notify_all() { WakeAllConditionVariable(&variable_); }

  // Waits with the mutex held by the caller until `ready` holds or the time
  // is up; the result is `ready` at the end, as for the standard one.
  template <typename Ready>
  bool wait_for(Mutex& mutex, std::chrono::milliseconds timeout, Ready ready) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left <= std::chrono::milliseconds::zero()) return ready();
      // Wakes early or spuriously at times: the loop looks again.
      SleepConditionVariableSRW(&variable_, mutex.native(),
                                static_cast<DWORD>(left.count()), 0);
    }
    return true;
  }

 private:
  CONDITION_VARIABLE variable_ = CONDITION_VARIABLE_INIT;
};

namespace detail {
template <typename Work>
DWORD WINAPI RunDetached(void* parameter) {
  const std::unique_ptr<Work> work(static_cast<Work*>(parameter));
  (*work)();
  return 0;
}
}  // namespace detail

// Runs `work` on a thread of its own that nobody joins; false when no
// thread could be started (the work is then dropped unrun).
template <typename Work>
bool StartDetached(Work work) {
  auto* owned = new (std::nothrow) Work(std::move(work));
  if (owned == nullptr) return false;
  HANDLE thread = CreateThread(nullptr, 0, detail::RunDetached<Work>, owned, 0,
                               nullptr);
  if (thread == nullptr) {
    delete owned;
    return false;
  }
  CloseHandle(thread);
  return true;
}

#else

class Mutex {
 public:
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  std::mutex& native() { return mutex_; }

 private:
  std::mutex mutex_;
};

class ConditionVariable {
 public:
  void notify_all() { variable_.notify_all(); }

  template <typename Ready>
  bool wait_for(Mutex& mutex, std::chrono::milliseconds timeout, Ready ready) {
    std::unique_lock lock(mutex.native(), std::adopt_lock);
    const bool result = variable_.wait_for(lock, timeout, std::move(ready));
    lock.release();  // the caller still holds it
    return result;
  }

 private:
  std::condition_variable variable_;
};

template <typename Work>
bool StartDetached(Work work) {
  try {
    std::thread(std::move(work)).detach();
    return true;
  } catch (...) {
    return false;
  }
}

#endif

// Holds the mutex from construction on, lets go of it and takes it again in
// between, and lets go of it at the end if it holds it then.
class Lock {
 public:
  explicit Lock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
  ~Lock() {
    if (held_) mutex_.unlock();
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void lock() {
    mutex_.lock();
    held_ = true;
  }
  void unlock() {
    held_ = false;
    mutex_.unlock();
  }
  Mutex& mutex() { return mutex_; }

 private:
  Mutex& mutex_;
  bool held_ = true;
};

}  // namespace vorlane::launcher::sync
