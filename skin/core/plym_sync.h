// skin/core/plym_sync.h
//
// The framework's locks: CPlymCritSec is one critical section, CPlymScopedLock
// holds it from construction until Release or destruction. And
// CPlymRefCounted, the reference count of the framework's shared objects
// (schema, skin file, skin objects): the last Release deletes the object.
#pragma once

#include <windows.h>

class CPlymCritSec {
  public:
    CPlymCritSec() { InitializeCriticalSection(&m_section); }
    ~CPlymCritSec() { DeleteCriticalSection(&m_section); }
    CPlymCritSec(const CPlymCritSec&) = delete;
    CPlymCritSec& operator=(const CPlymCritSec&) = delete;

    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

  private:
    CRITICAL_SECTION m_section;
};

class CPlymScopedLock {
  public:
    explicit CPlymScopedLock(CPlymCritSec* lock) : m_lock(lock) { m_lock->Enter(); }
    ~CPlymScopedLock() { Release(); }
    CPlymScopedLock(const CPlymScopedLock&) = delete;
    CPlymScopedLock& operator=(const CPlymScopedLock&) = delete;

    void Release() {
        if (m_lock) {
            m_lock->Leave();
            m_lock = nullptr;
        }
    }

  private:
    CPlymCritSec* m_lock;
};

class CPlymRefCounted {
  public:
    CPlymRefCounted() = default;
    CPlymRefCounted(const CPlymRefCounted&) = delete;
    CPlymRefCounted& operator=(const CPlymRefCounted&) = delete;

    LONG AddRef() { return InterlockedIncrement(&m_references); }
    // The remaining count; the object is gone when it is 0.
    LONG Release() {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    virtual ~CPlymRefCounted() = default;

  private:
    LONG m_references = 1;
};
