#pragma once

// Exiv2's XMP toolkit is not re-entrant on first use: every thread goes through here
// before touching Exiv2.
void ensureExiv2Initialised();
