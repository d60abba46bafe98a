#include "base/THLock.h"

#include "base/Logging.h"

#include <QDebug>
#include <QHash>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {
struct KeyLock {
    bool held = false;
    int waiters = 0;
    std::condition_variable released;
};

// One monitor guards the table and every key's state; waiting releases it, so a held
// key never blocks other keys. A key is dropped only when it is neither held nor waited
// for, so no second lock for the same key can ever be made while the first is in use.
struct LockTable {
    std::mutex monitor;
    QHash<QString, std::shared_ptr<KeyLock>> locks;
};

LockTable &table() {
    static LockTable *t = new LockTable; // lives until exit; threads may still unlock late
    return *t;
}
} // namespace

void THLock::lockCreate() {
    (void)table();
}

void THLock::lockForKey(const QString &key) {
    LockTable &t = table();
    std::unique_lock guard(t.monitor);
    std::shared_ptr<KeyLock> &slot = t.locks[key];
    if (!slot)
        slot = std::make_shared<KeyLock>();
    std::shared_ptr<KeyLock> lock = slot;
    ++lock->waiters;
    lock->released.wait(guard, [&] { return !lock->held; });
    --lock->waiters;
    lock->held = true;
}

void THLock::unLockForKey(const QString &key) {
    LockTable &t = table();
    std::unique_lock guard(t.monitor);
    auto it = t.locks.find(key);
    if (it == t.locks.end() || !it.value()->held) {
        qCWarning(lcApp) << "THLock: unlock of a key that is not held:" << key;
        return;
    }
    std::shared_ptr<KeyLock> lock = it.value();
    lock->held = false;
    if (lock->waiters == 0)
        t.locks.erase(it);
    else
        lock->released.notify_one();
}

int THLock::keyCount() {
    LockTable &t = table();
    std::lock_guard guard(t.monitor);
    return int(t.locks.size());
}
