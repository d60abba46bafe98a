#pragma once

#include <QString>

class SqliteDatabase;

// iPhoto 9.6 and Aperture 3 keep their catalogue in "Database/apdb/Library.apdb" (with
// "Database/Library.apdb" a link to it) and its IPTC texts in "Properties.apdb" beside it.

// The catalogue database of the package, resolved through links but never leaving the
// package; empty when there is none (`why` says so when one is named but unusable).
QString catalogueDatabasePath(const QString &package, QString *why = nullptr);
// "Properties.apdb" beside the catalogue, resolved likewise; empty when absent.
QString cataloguePropertiesPath(const QString &package, const QString &catalogue);
// The name under which a connection to the catalogue sees "Properties.apdb".
inline constexpr char kCatalogueProperties[] = "properties";
// Attaches `propertiesPath` as kCatalogueProperties; false with the reason when it holds no
// IPTC properties.
bool attachCatalogueProperties(SqliteDatabase &db, const QString &propertiesPath, QString *why);
// `sql` with each "RKMaster.x"/"RKVersion.x" column the database lacks replaced by what
// this catalogue keeps instead: the version's size for the master's, the IPTC caption for
// the version's description (when Properties is attached), else NULL.
QString withCatalogueColumns(SqliteDatabase &db, const QString &sql, bool propertiesAttached);
