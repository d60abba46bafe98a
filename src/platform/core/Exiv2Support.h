#pragma once

// Exiv2's XMP toolkit is not re-entrant on first use: every thread goes through here
// before touching Exiv2.
void ensureExiv2Initialised();

// An XMP packet may give a prefix Exiv2 knows ("dc", "exif") to a namespace of its own. Exiv2
// then takes that namespace for the prefix in the whole program, and every later write puts
// the prefix's properties where no reader looks for them. Called after each read of XMP from
// outside and before each write: such takings are undone. A prefix of the packet's own stays
// registered, as the properties read under it need it to be written back.
void forgetForeignXmpPrefixes();

// The same when it goes out of scope, however the read ended.
struct ForeignXmpPrefixesForgotten {
    ~ForeignXmpPrefixesForgotten() { forgetForeignXmpPrefixes(); }
};
