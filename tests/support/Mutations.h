#pragma once

#include <QByteArray>
#include <QString>

#include <random>
#include <vector>

// Damaged copies of a real file, the same ones on every run: the damage of a copy cut short
// and of a file made to crash its reader. A binary file gets one of its sizes, counts or
// offsets (the fields a test names) set to a value at an edge, a few bytes changed, or its end
// cut off; a text gets cut, a span dropped or doubled, a character changed, a number pushed to
// an extreme, or a nesting deeper than any reader's.
class Mutations {
  public:
    struct Field {
        qsizetype at = 0;
        int bytes = 4; // big-endian
    };
    // Bytes are changed and cuts made within [from, to) of `base`; all of it when `to` is 0.
    Mutations(QByteArray base, std::vector<Field> fields, quint32 seed, qsizetype from = 0,
              qsizetype to = 0);
    // The next damaged copy; `what` says how it was made, for the message of a failing case.
    QByteArray next(QString *what);
    QByteArray nextText(QString *what);

  private:
    quint64 below(quint64 n) { return n == 0 ? 0 : quint64(random_()) % n; }
    qsizetype anywhere() { return from_ + qsizetype(below(quint64(to_ - from_))); }

    QByteArray base_;
    std::vector<Field> fields_;
    std::mt19937 random_;
    qsizetype from_, to_;
};

// The fields of an ISO base media file (HEIF, QuickTime, MP4): every box's size, and 1-, 2-
// and 4-byte fields over the first bytes of each box body (versions, counts, sizes, offsets).
// The boxes that hold boxes (meta, iprp, ipco, iinf, iref, dinf, moov, trak, mdia, minf, stbl,
// edts, udta, ...) are walked into.
std::vector<Mutations::Field> isoBoxFields(const QByteArray &file);
