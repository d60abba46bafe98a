#include "library/core/LibraryCatalogue.h"

#include "library/core/SqliteDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

// `relative` inside `package`, every link followed; empty unless it ends at a regular file
// that is an SQLite database and still inside the package.
QString insidePackage(const QString &package, const QString &relative, QString *why) {
    const QFileInfo named(package + QLatin1Char('/') + relative);
    if (!named.exists() && !named.isSymLink())
        return {};
    const QString root = QFileInfo(package).canonicalFilePath();
    const QString target = named.canonicalFilePath();
    QString problem;
    if (root.isEmpty() || target.isEmpty())
        problem = QStringLiteral("\"%1\" leads to no file").arg(named.filePath());
    else if (!target.startsWith(root + QLatin1Char('/')))
        problem = QStringLiteral("\"%1\" leads outside the library").arg(named.filePath());
    else if (!QFileInfo(target).isFile())
        problem = QStringLiteral("\"%1\" is no file").arg(named.filePath());
    else if (!looksLikeSqliteFile(target, &problem))
        problem = QStringLiteral("\"%1\" is no database").arg(named.filePath());
    if (problem.isEmpty())
        return target;
    if (why && why->isEmpty())
        *why = problem;
    return {};
}

QString firstInside(const QString &package, std::initializer_list<QString> candidates,
                    QString *why) {
    for (const QString &relative : candidates) {
        const QString found = insidePackage(package, relative, why);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

// A table's column names in lower case, as SQLite resolves them: without regard to case.
QSet<QString> columnsOf(SqliteDatabase &db, const QString &table) {
    QSet<QString> names;
    if (SqliteStatement *info =
            db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1)"))) {
        info->bind(1, table);
        while (info->step())
            names.insert(info->string(0).toLower());
        info->reset();
    }
    return names;
}

} // namespace

QString catalogueDatabasePath(const QString &package, QString *why) {
    return firstInside(
        package,
        {QStringLiteral("Database/apdb/Library.apdb"), QStringLiteral("Database/Library.apdb")},
        why);
}

QString cataloguePropertiesPath(const QString &package, const QString &catalogue) {
    QString ignored;
    const QString root = QFileInfo(package).canonicalFilePath();
    const QString folder = QFileInfo(catalogue).absolutePath();
    const QString beside =
        folder.startsWith(root + QLatin1Char('/'))
            ? QDir(root).relativeFilePath(folder) + QStringLiteral("/Properties.apdb")
            : QString();
    QList<QString> candidates{QStringLiteral("Database/apdb/Properties.apdb"),
                              QStringLiteral("Database/Properties.apdb")};
    if (!beside.isEmpty())
        candidates.prepend(beside);
    for (const QString &relative : candidates) {
        const QString found = insidePackage(package, relative, &ignored);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool attachCatalogueProperties(SqliteDatabase &db, const QString &propertiesPath, QString *why) {
    SqliteStatement *attach = db.prepare(
        QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(QLatin1String(kCatalogueProperties)));
    if (!attach) {
        if (why)
            *why = db.lastError();
        return false;
    }
    attach->bind(1, propertiesPath);
    attach->step();
    const bool attached = !attach->failed();
    if (!attached && why)
        *why = attach->error();
    attach->reset();
    if (!attached)
        return false;
    const QString check = QStringLiteral("SELECT versionId, propertyKey, stringId, searchStringId, "
                                         "modDate FROM %1.RKIptcProperty, %1.RKUniqueString "
                                         "LIMIT 0")
                              .arg(QLatin1String(kCatalogueProperties));
    if (db.prepare(check))
        return true;
    if (why)
        *why = QStringLiteral("\"%1\" holds no IPTC properties").arg(propertiesPath);
    db.exec(QStringLiteral("DETACH DATABASE %1").arg(QLatin1String(kCatalogueProperties)));
    return false;
}

QString withCatalogueColumns(SqliteDatabase &db, const QString &sql, bool propertiesAttached) {
    static const QRegularExpression column(
        QStringLiteral("\\b(RKMaster|RKVersion)\\s*\\.\\s*(\\w+)\\b"));
    const QString caption =
        QStringLiteral("(SELECT s.stringProperty FROM %1.RKIptcProperty p JOIN %1.RKUniqueString "
                       "s ON s.modelId = p.stringId WHERE p.versionId = RKVersion.modelId AND "
                       "p.propertyKey = 'Caption/Abstract')")
            .arg(QLatin1String(kCatalogueProperties));
    const QHash<QString, QString> instead{
        {QStringLiteral("RKMaster.height"), QStringLiteral("RKVersion.masterHeight")},
        {QStringLiteral("RKMaster.width"), QStringLiteral("RKVersion.masterWidth")},
        {QStringLiteral("RKVersion.extendedDescription"), propertiesAttached ? caption : QString()},
    };
    QHash<QString, QSet<QString>> tables;
    const auto has = [&](const QString &table, const QString &name) {
        auto it = tables.find(table);
        if (it == tables.end())
            it = tables.insert(table, columnsOf(db, table));
        return it->contains(name.toLower());
    };
    QString out;
    qsizetype from = 0;
    for (auto it = column.globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += sql.mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
        const QString table = m.captured(1), name = m.captured(2);
        if (has(table, name)) {
            out += m.captured(0);
            continue;
        }
        const QString other = instead.value(table + QLatin1Char('.') + name);
        const QStringList parts = other.split(QLatin1Char('.'));
        if (other.startsWith(QLatin1Char('(')) || (parts.size() == 2 && has(parts[0], parts[1])))
            out += other;
        else
            out += QStringLiteral("NULL");
    }
    out += sql.mid(from);
    return out;
}
