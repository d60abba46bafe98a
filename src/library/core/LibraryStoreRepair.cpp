// Writes of the referenced-photo repair.
#include "library/core/LibraryStore.h"

LibraryWriteResult LibraryStore::setReferencedFileName(int attributesKey, int assetKey,
                                                       const QString &fileName) {
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')) ||
        fileName == QLatin1String(".") || fileName == QLatin1String("..") ||
        fileName.contains(QChar(0)))
        return LibraryWriteResult::failed(
            QStringLiteral("\"%1\" is not a single file name").arg(fileName));
    if (!isCurrentSchema())
        return LibraryWriteResult::failed(
            QStringLiteral("the older library keeps the file's name in its image path"));
    // Both names or neither: the savepoint undoes the first when the second finds no row.
    if (!run(QStringLiteral("SAVEPOINT referenced_name"), {}))
        return LibraryWriteResult::failed(error_);
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE %1 SET ZFILENAME = ?1, Z_OPT = ifnull(Z_OPT, 0) + 1 "
                              "WHERE Z_PK = ?2 AND substr(ZDIRECTORY, 1, 1) = '/'")
                   .arg(sqlName(schema_.assetTable)),
               {fileName, assetKey},
               QStringLiteral("asset %1 is no referenced photo of this library").arg(assetKey));
    if (r.ok)
        r = change(QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZORIGINALFILENAME = ?1, "
                                  "Z_OPT = ifnull(Z_OPT, 0) + 1 WHERE Z_PK = ?2 AND ZASSET = ?3"),
                   {fileName, attributesKey, assetKey},
                   QStringLiteral("the attributes row %1 of asset %2 is gone")
                       .arg(attributesKey)
                       .arg(assetKey));
    if (!r.ok) {
        const QString why = r.reason;
        run(QStringLiteral("ROLLBACK TO referenced_name"), {});
        run(QStringLiteral("RELEASE referenced_name"), {});
        return LibraryWriteResult::failed(why);
    }
    if (!run(QStringLiteral("RELEASE referenced_name"), {}))
        return LibraryWriteResult::failed(error_);
    r.stored = fileName;
    return r;
}
