#include "platform/core/Exiv2Support.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

namespace {

// Recursive, as the toolkit's own example lock (a Windows critical section) is.
std::recursive_mutex &xmpMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

void lockXmp(void *data, bool lock) {
    auto *mutex = static_cast<std::recursive_mutex *>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

} // namespace

void ensureExiv2Initialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Photos are read and written on several threads at once: the toolkit serialises its
        // namespace registrations through this lock.
        Exiv2::XmpParser::initialize(lockXmp, &xmpMutex());
        Exiv2::enableBMFF(true);
        // Exiv2 prints warnings for every odd tag of every camera; we log our own reasons.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
    });
}
