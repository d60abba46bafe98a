#include "library/core/LibraryCameraDates.h"

#include "library/core/LibraryStore.h"

std::optional<double> storedCameraSeconds(LibraryStore &store, int64_t key) {
    SqliteStatement *read = store.database().prepare(
        store.isCurrentSchema()
            ? QStringLiteral("SELECT ZDATECREATED FROM %1 WHERE Z_PK = ?1")
                  .arg(sqlName(store.schema().assetTable))
            : QStringLiteral("SELECT imageDate FROM RKVersion WHERE modelId = ?1"));
    if (!read)
        return std::nullopt;
    read->reset().bind(1, key);
    std::optional<double> seconds;
    if (read->step() && !read->isNull(0))
        seconds = read->real(0);
    read->reset();
    return seconds;
}
