#include "support/Mutations.h"

#include "support/IsoBoxes.h"

#include <QByteArrayList>

#include <iterator>
#include <utility>

Mutations::Mutations(QByteArray base, std::vector<Field> fields, quint32 seed, qsizetype from,
                     qsizetype to)
    : base_(std::move(base)), fields_(std::move(fields)), random_(seed), from_(from),
      to_(to > from ? to : base_.size()) {}

QByteArray Mutations::next(QString *what) {
    QByteArray out = base_;
    const quint64 kind = below(100);
    if (kind < 55 && !fields_.empty()) {
        const Field f = fields_[below(fields_.size())];
        if (f.at + f.bytes <= out.size()) {
            const quint64 max = f.bytes >= 8 ? ~quint64(0) : (quint64(1) << (8 * f.bytes)) - 1;
            const quint64 old = readBe(out, f.at, f.bytes);
            const quint64 edges[] = {0,       1,       2,           old - 1,
                                     old + 1, old * 2, old / 2,     old + 8,
                                     max,     max - 1, max / 2 + 1, below(2 * old + 16)};
            const quint64 value = edges[below(std::size(edges))] & max;
            out.replace(f.at, f.bytes, be(value, f.bytes));
            *what = QStringLiteral("the %1-byte field at %2 set from %3 to %4")
                        .arg(f.bytes)
                        .arg(f.at)
                        .arg(old)
                        .arg(value);
            return out;
        }
    }
    if (kind < 80) {
        const qsizetype first = anywhere();
        const int count = 1 + int(below(4));
        for (int i = 0; i < count; ++i)
            out[i == 0 ? first : anywhere()] = char(below(256));
        *what = QStringLiteral("%1 bytes changed, the first at %2").arg(count).arg(first);
        return out;
    }
    // Cut short: often right inside a field, where a reader has just trusted a size.
    const qsizetype at = !fields_.empty() && below(2) == 0
                             ? fields_[below(fields_.size())].at + qsizetype(below(4))
                             : anywhere();
    out.truncate(at);
    *what = QStringLiteral("cut at %1").arg(at);
    return out;
}

QByteArray Mutations::nextText(QString *what) {
    QByteArray out = base_;
    const qsizetype at = anywhere();
    const qsizetype span = 1 + qsizetype(below(64));
    switch (below(6)) {
    case 0:
        out.truncate(at);
        *what = QStringLiteral("cut at %1").arg(at);
        break;
    case 1: {
        static const char odd[] = "<>\"&{}[],:\\/=?!\0\xff\xc3";
        const int count = 1 + int(below(3));
        for (int i = 0; i < count; ++i)
            out[i == 0 ? at : anywhere()] = odd[below(sizeof odd - 1)];
        *what = QStringLiteral("%1 characters changed, the first at %2").arg(count).arg(at);
        break;
    }
    case 2:
        out.remove(at, span);
        *what = QStringLiteral("%1 bytes dropped at %2").arg(span).arg(at);
        break;
    case 3:
        out.insert(at, base_.mid(at, span));
        *what = QStringLiteral("%1 bytes doubled at %2").arg(span).arg(at);
        break;
    case 4: {
        // A number pushed past what any reader stores.
        static const char *const extremes[] = {"1e400",
                                               "-1e400",
                                               "99999999999999999999999999",
                                               "-9223372036854775809",
                                               "1e-400",
                                               "NaN",
                                               "-",
                                               "1.2.3",
                                               "0x7fffffff"};
        qsizetype start = at;
        while (start < out.size() && !QChar::isDigit(uchar(out[start])))
            ++start;
        qsizetype end = start;
        while (end < out.size() && (QChar::isDigit(uchar(out[end])) || out[end] == '.'))
            ++end;
        const char *extreme = extremes[below(std::size(extremes))];
        out.replace(start, end - start, extreme);
        *what = QStringLiteral("the number at %1 made %2").arg(start).arg(QLatin1String(extreme));
        break;
    }
    default: {
        const QByteArray open = base_.trimmed().startsWith('{') ? "[" : "<a>";
        out.insert(at, open.repeated(5000));
        *what = QStringLiteral("5000 levels opened at %1").arg(at);
        break;
    }
    }
    return out;
}

namespace {

void walkBoxes(const QByteArray &f, qsizetype from, qsizetype to, int depth,
               std::vector<Mutations::Field> &out) {
    static const QByteArrayList containers = {"moov", "trak", "mdia", "minf", "stbl", "dinf",
                                              "edts", "udta", "iprp", "ipco", "ilst", "tapt"};
    const auto fieldsOver = [&](qsizetype start, qsizetype end) {
        for (qsizetype k = 0; k < 32 && start + k < end; ++k) {
            if (k < 4)
                out.push_back({start + k, 1});
            if (k < 8 && k % 2 == 0 && start + k + 2 <= end)
                out.push_back({start + k, 2});
            if (k % 4 == 0 && start + k + 4 <= end)
                out.push_back({start + k, 4});
        }
    };
    for (qsizetype at = from; at + 8 <= to && depth < 8;) {
        quint64 size = readBe(f, at, 4);
        qsizetype header = 8;
        if (size == 1 && at + 16 <= to) {
            size = readBe(f, at + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = quint64(to - at);
        }
        if (size < quint64(header) || size > quint64(to - at))
            return;
        out.push_back({at, 4});
        const QByteArray type = f.mid(at + 4, 4);
        const qsizetype body = at + header, end = at + qsizetype(size);
        qsizetype children = -1;
        if (containers.contains(type))
            children = body;
        else if (type == "meta") // QuickTime's has no version and flags, HEIF's and MP4's have
            children = f.mid(body + 4, 4) == "hdlr" ? body : body + 4;
        else if (type == "iref")
            children = body + 4;
        else if (type == "iinf" && body < end)
            children = body + 4 + (f[body] == 0 ? 2 : 4);
        else if (type == "dref")
            children = body + 8;
        if (children >= 0 && children <= end) {
            fieldsOver(body, children);
            walkBoxes(f, children, end, depth + 1, out);
        } else {
            fieldsOver(body, end);
        }
        at = end;
    }
}

} // namespace

std::vector<Mutations::Field> isoBoxFields(const QByteArray &file) {
    std::vector<Mutations::Field> fields;
    walkBoxes(file, 0, file.size(), 0, fields);
    return fields;
}
