#pragma once

#include <cstdint>
#include <optional>

class LibraryStore;

// The camera date the store holds for a photo, in seconds since the library's reference
// date, with the fraction of a second that the photo's date text leaves out; nullopt when
// it holds none. `key`: the asset (current schema) or the version the library shows (older
// schema: LibraryStore::olderShownVersion()).
std::optional<double> storedCameraSeconds(LibraryStore &store, int64_t key);
