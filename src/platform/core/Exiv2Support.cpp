#include "platform/core/Exiv2Support.h"

#include <exiv2/exiv2.hpp>
#include <mutex>
#include <set>
#include <string>
#include <vector>

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

// Exiv2's own prefixes, as they are before any packet is read.
std::set<std::string> &knownPrefixes() {
    static std::set<std::string> prefixes;
    return prefixes;
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
        Exiv2::Dictionary namespaces;
        Exiv2::XmpProperties::registeredNamespaces(namespaces);
        for (const auto &entry : namespaces)
            if (std::string prefix = Exiv2::XmpProperties::prefix(entry.second); !prefix.empty())
                knownPrefixes().insert(prefix);
    });
}

void forgetForeignXmpPrefixes() {
    ensureExiv2Initialised();
    std::vector<std::string> foreign;
    {
        Exiv2::ScopedReadLock lock(Exiv2::XmpProperties::rwLock_);
        for (const auto &[ns, info] : Exiv2::XmpProperties::nsRegistry_)
            if (knownPrefixes().count(info.prefix_))
                foreign.push_back(ns);
    }
    for (const std::string &ns : foreign)
        Exiv2::XmpProperties::unregisterNs(ns);
}
