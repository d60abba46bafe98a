#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>

// Property-list files (XML written, XML and binary read) as QVariants: dict <-> QVariantMap,
// array <-> QVariantList, string <-> QString, integer <-> int or qlonglong, real <-> double,
// bool <-> bool, date <-> QDateTime (UTC), data <-> QByteArray.
namespace PropertyList {

// A dictionary whose keys are written in the order given (QVariantMap sorts them). It may
// stand as the root or, wrapped in a QVariant, as any value.
using OrderedDictionary = QList<std::pair<QString, QVariant>>;

// The XML text of `root`. Values a property list cannot carry (null, or a type not listed
// above) are left out and named in *skipped as "key/key" paths. Empty with *error set when
// the root itself cannot be written.
QByteArray toXml(const QVariant &root, QString *error, QStringList *skipped = nullptr);

// Writes the XML to `path` in one atomic step: readers see the old file or the whole new one.
bool writeXml(const QString &path, const QVariant &root, QString *error,
              QStringList *skipped = nullptr);

struct Document {
    bool ok = false;
    QString error;        // why the file is not a property list we can use
    QVariant root;        // the whole file
    QStringList rootKeys; // a dictionary root's keys in the file's order
};

// XML or binary, told apart by their content.
Document fromData(const QByteArray &data);
Document read(const QString &path);

} // namespace PropertyList

Q_DECLARE_METATYPE(PropertyList::OrderedDictionary)
