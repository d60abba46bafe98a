#pragma once

#include <QString>

// Process-wide named locks: one holder per key at a time. A key's lock is forgotten once
// nobody holds it or waits for it, so keys cost nothing when unused.
class THLock {
  public:
    static void lockCreate();
    // Blocks until this caller holds the key.
    static void lockForKey(const QString &key);
    // Releases the key; a key that nobody holds is left alone (and reported).
    static void unLockForKey(const QString &key);
    // Number of keys currently remembered (held or waited for).
    static int keyCount();
};
