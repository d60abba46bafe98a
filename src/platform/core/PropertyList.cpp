#include "platform/core/PropertyList.h"

#include "platform/core/SafeWrite.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include <plist/plist.h>

#include <cstring>
#include <limits>
#include <memory>

namespace PropertyList {
namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
constexpr qint64 kAppleEpoch = 978307200;
// Deeper nesting than this is no metadata of ours, and would only exhaust the stack.
constexpr int kMaxDepth = 128;
// Far above any metadata file; keeps a wrong choice of file from filling the memory.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

struct NodeFree {
    void operator()(plist_t node) const {
        if (node)
            plist_free(node);
    }
};
using Node = std::unique_ptr<void, NodeFree>;

plist_t toNode(const QVariant &value, const QString &path, QStringList *skipped, int depth);

void addToDict(plist_t dict, const QString &key, const QVariant &value, const QString &path,
               QStringList *skipped, int depth) {
    const QString here = path.isEmpty() ? key : path + QLatin1Char('/') + key;
    if (plist_t child = toNode(value, here, skipped, depth + 1))
        plist_dict_set_item(dict, key.toUtf8().constData(), child);
    else if (skipped)
        *skipped << here;
}

plist_t toNode(const QVariant &value, const QString &path, QStringList *skipped, int depth) {
    if (depth > kMaxDepth || !value.isValid() || value.isNull())
        return nullptr;
    if (value.typeId() == qMetaTypeId<OrderedDictionary>()) {
        plist_t dict = plist_new_dict();
        for (const auto &[key, v] : value.value<OrderedDictionary>())
            addToDict(dict, key, v, path, skipped, depth);
        return dict;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        // Negative numbers go in as their two's complement; the writer prints them signed.
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (value.toULongLong() > static_cast<quint64>(std::numeric_limits<qint64>::max()))
            return nullptr; // it would read back negative
        return plist_new_uint(value.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double:
        return plist_new_real(value.toDouble());
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size()));
    }
    case QMetaType::QDateTime:
    case QMetaType::QDate: {
        const QDateTime when = value.toDateTime();
        if (!when.isValid())
            return nullptr;
        const qint64 ms = when.toMSecsSinceEpoch() - kAppleEpoch * 1000;
        const qint64 sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        if (sec < std::numeric_limits<int32_t>::min() || sec > std::numeric_limits<int32_t>::max())
            return nullptr;
        return plist_new_date(static_cast<int32_t>(sec),
                              static_cast<int32_t>((ms - sec * 1000) * 1000));
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        plist_t array = plist_new_array();
        const QVariantList list = value.toList();
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString here = QStringLiteral("%1[%2]").arg(path).arg(i);
            if (plist_t child = toNode(list.at(i), here, skipped, depth + 1))
                plist_array_append_item(array, child);
            else if (skipped)
                *skipped << here;
        }
        return array;
    }
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            addToDict(dict, it.key(), it.value(), path, skipped, depth);
        return dict;
    }
    case QMetaType::QVariantHash: {
        // Sorted, so one dictionary always gives one file.
        const QVariantHash hash = value.toHash();
        QStringList keys = hash.keys();
        keys.sort();
        plist_t dict = plist_new_dict();
        for (const QString &key : keys)
            addToDict(dict, key, hash.value(key), path, skipped, depth);
        return dict;
    }
    default:
        return nullptr;
    }
}

QVariant fromNode(plist_t node, int depth, QString *error) {
    if (depth > kMaxDepth) {
        *error = QStringLiteral("the property list is nested too deeply");
        return {};
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return QVariant(b != 0);
    }
    case PLIST_UINT:
    case PLIST_UID: {
        uint64_t u = 0;
        if (plist_get_node_type(node) == PLIST_UID)
            plist_get_uid_val(node, &u);
        else
            plist_get_uint_val(node, &u);
        const qint64 v = static_cast<qint64>(u);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return QVariant(static_cast<int>(v));
        return QVariant(v);
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return QVariant(d);
    }
    case PLIST_STRING: {
        // Read with its length: the value-copying calls abort on a NUL inside.
        uint64_t length = 0;
        const char *s = plist_get_string_ptr(node, &length);
        if (s && std::memchr(s, 0, size_t(length))) {
            *error = QStringLiteral("the property list holds a NUL character in a string");
            return {};
        }
        return QVariant(QString::fromUtf8(s ? s : "", s ? qsizetype(length) : 0));
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray data(bytes, static_cast<qsizetype>(length));
        free(bytes);
        return QVariant(data);
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 ms = (kAppleEpoch + sec) * 1000 + usec / 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        for (uint32_t i = 0; i < n; ++i) {
            QVariant v = fromNode(plist_array_get_item(node, i), depth + 1, error);
            if (!error->isEmpty())
                return {};
            list << v;
        }
        return list;
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char *key = nullptr;
            plist_t child = nullptr;
            plist_dict_next_item(node, it, &key, &child);
            if (!child) {
                free(key);
                break;
            }
            QVariant v = fromNode(child, depth + 1, error);
            const QString name = QString::fromUtf8(key ? key : "");
            free(key);
            if (!error->isEmpty()) {
                free(it);
                return {};
            }
            map.insert(name, v);
        }
        free(it);
        return map;
    }
    default:
        *error = QStringLiteral("the property list holds a value of an unknown kind");
        return {};
    }
}

// libplist 2.2 aborts the whole program (an assertion) when asked for a string or a key that
// holds a NUL, which a 48-byte binary file can do. Such files are refused before it is asked.
// In XML a NUL is never allowed; in a binary list every ASCII and UTF-16 string object is
// looked at through the list's own offset table.
bool holdsNul(const QByteArray &data, QString *error) {
    if (!data.startsWith("bplist00")) {
        if (!data.contains('\0'))
            return false;
        *error = QStringLiteral("the property list holds a NUL character");
        return true;
    }
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const quint64 size = quint64(data.size());
    if (size < 8 + 32)
        return false; // too short for a trailer: libplist refuses it on its own
    auto bigEndian = [&](quint64 at, int width, quint64 *value) {
        if (width < 1 || width > 8 || at + quint64(width) > size)
            return false;
        quint64 v = 0;
        for (int i = 0; i < width; ++i)
            v = (v << 8) | bytes[at + quint64(i)];
        *value = v;
        return true;
    };
    const quint64 trailer = size - 32;
    const int offsetSize = bytes[trailer + 6];
    quint64 objects = 0, table = 0;
    if (!bigEndian(trailer + 8, 8, &objects) || !bigEndian(trailer + 24, 8, &table) ||
        offsetSize < 1 || offsetSize > 8 || objects > size ||
        table + objects * quint64(offsetSize) > trailer)
        return false;
    for (quint64 i = 0; i < objects; ++i) {
        quint64 at = 0;
        if (!bigEndian(table + i * quint64(offsetSize), offsetSize, &at) || at >= trailer)
            continue;
        const uchar marker = bytes[at];
        const uchar kind = marker >> 4;
        if (kind != 0x5 && kind != 0x6)
            continue;
        quint64 count = marker & 0x0f;
        quint64 start = at + 1;
        if (count == 0x0f) { // the length follows as an integer object
            if (start >= trailer || (bytes[start] >> 4) != 0x1)
                continue;
            const int width = 1 << (bytes[start] & 0x0f);
            if (!bigEndian(start + 1, width, &count))
                continue;
            start += 1 + quint64(width);
        }
        const quint64 unit = kind == 0x6 ? 2 : 1;
        if (count > size || start + count * unit > trailer)
            continue;
        for (quint64 c = 0; c < count; ++c) {
            const quint64 p = start + c * unit;
            if (bytes[p] == 0 && (unit == 1 || bytes[p + 1] == 0)) {
                *error =
                    QStringLiteral("the property list holds a NUL character in a string or key");
                return true;
            }
        }
    }
    return false;
}

QStringList dictKeysInOrder(plist_t dict) {
    QStringList keys;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dict, &it);
    for (;;) {
        char *key = nullptr;
        plist_t child = nullptr;
        plist_dict_next_item(dict, it, &key, &child);
        if (!child) {
            free(key);
            break;
        }
        keys << QString::fromUtf8(key ? key : "");
        free(key);
    }
    free(it);
    return keys;
}

} // namespace

QByteArray toXml(const QVariant &root, QString *error, QStringList *skipped) {
    Node node(toNode(root, QString(), skipped, 0));
    if (!node) {
        *error = QStringLiteral("the data cannot be stored as a property list");
        return {};
    }
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node.get(), &xml, &length);
    if (!xml || length == 0) {
        free(xml);
        *error = QStringLiteral("the property list could not be encoded");
        return {};
    }
    QByteArray out(xml, static_cast<qsizetype>(length));
    free(xml);
    return out;
}

bool writeXml(const QString &path, const QVariant &root, QString *error, QStringList *skipped) {
    const QByteArray xml = toXml(root, error, skipped);
    if (xml.isEmpty())
        return false;
    // Never through a link that stands at the path: the link is refused, not followed.
    return SafeWrite::replaceFileContents(path, xml, error);
}

Document fromData(const QByteArray &data) {
    Document doc;
    if (data.isEmpty()) {
        doc.error = QStringLiteral("the file is empty");
        return doc;
    }
    if (data.size() > kMaxFileSize) {
        doc.error = QStringLiteral("the file is too large for a property list");
        return doc;
    }
    if (holdsNul(data, &doc.error))
        return doc;
    plist_t raw = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &raw);
    Node node(raw);
    if (!node) {
        doc.error = QStringLiteral("the file is not a property list");
        return doc;
    }
    QString why;
    doc.root = fromNode(node.get(), 0, &why);
    if (!why.isEmpty()) {
        doc.error = why;
        doc.root = QVariant();
        return doc;
    }
    if (plist_get_node_type(node.get()) == PLIST_DICT)
        doc.rootKeys = dictKeysInOrder(node.get());
    doc.ok = true;
    return doc;
}

Document read(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Document doc;
        doc.error = file.errorString();
        return doc;
    }
    if (file.size() > kMaxFileSize) {
        Document doc;
        doc.error = QStringLiteral("the file is too large for a property list");
        return doc;
    }
    return fromData(file.readAll());
}

} // namespace PropertyList
