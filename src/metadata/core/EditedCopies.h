#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Edits that add up. A copy an edit wrote into the storage folder carries a record: the
// original it was made from, that original's state then, and a digest of the copy's own
// bytes, kept as the extended attributes "user.photokestry.source", "…original" and
// "…digest". The next edit of that original starts from the copy and replaces it, as long
// as neither changed since, so a title and then a GPS removal leave both changes instead of
// only the last one. An original changed since (overwritten, or edited elsewhere) is the
// newer state, and its next edit starts from it again.
// Where the file system keeps no extended attributes, the browser item remembers the copy
// and its digest for the session instead.
namespace EditedCopies {

inline constexpr char kSourceAttribute[] = "user.photokestry.source";
inline constexpr char kDigestAttribute[] = "user.photokestry.digest";
inline constexpr char kOriginalAttribute[] = "user.photokestry.original";

// The digest a record holds, in hex: "xxh128:" and XXH3-128 of the bytes. It tells a copy
// changed since we wrote it, not a forgery: whoever could forge it could rewrite the record
// too. Records written before hold BLAKE2b-256 without a prefix and keep matching.
QByteArray digestOf(const QByteArray &bytes);

// The same digest taken a piece at a time, as a file is read back; `like` names a recorded
// digest whose kind to take (today's when empty).
class Digest {
  public:
    explicit Digest(const QByteArray &like = {});
    ~Digest();
    Digest(const Digest &) = delete;
    Digest &operator=(const Digest &) = delete;
    void add(const char *data, size_t size);
    // The digest in hex; the Digest is spent then.
    QByteArray hex();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// What the item remembers of the copy its last edit wrote.
struct Remembered {
    QString path;
    QByteArray digest;
    QByteArray originalState; // originalState() of the original when the copy was written
};

// What tells a later change of the original: its inode (a replacement is a new file), size
// and modification time. Empty when the file cannot be read.
QByteArray originalState(const QString &path);

// The copy of `originalPath` to start from, with the path it lives at and, when asked for,
// its bytes.
struct Copy {
    QString path;
    QByteArray bytes;
};

// The first of `candidates` (the remembered copy first, then the names an edit of the
// photo writes in the storage folder) that is a regular file other than the original, was
// made from `originalPath` as it is now (by its record or as the remembered copy) and still
// has the digest recorded for it. A candidate that fails any of these is left alone.
std::optional<Copy> findCopy(const QString &originalPath, const Remembered &remembered,
                             const QStringList &candidates, bool keepBytes = true);

// The original named by the record on the open file `fd`; empty when there is none.
QString recordedSource(int fd);

// Writes the record onto the open file `fd`; an empty `originalState` keeps the one the file
// has. False with `why` where the file system keeps no such attributes; the edit stands then.
bool record(int fd, const QString &originalPath, const QByteArray &digest,
            const QByteArray &originalState, QString *why);

// The form of a path records compare: the canonical path when the file exists.
QString recordPath(const QString &path);

} // namespace EditedCopies
