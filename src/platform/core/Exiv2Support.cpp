#include "platform/core/Exiv2Support.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

void ensureExiv2Initialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::XmpParser::initialize();
        Exiv2::enableBMFF(true);
        // Exiv2 prints warnings for every odd tag of every camera; we log our own reasons.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
    });
}
