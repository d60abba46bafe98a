#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Turns off SQLite's memory statistics before the first connection: their mutex would
// serialise every connection of the program. Safe to call from any thread, any number of
// times.
void configureSqliteOnce();

class SqliteDatabase;

// One prepared statement, finalized with its owner. Values go in through bind(), never
// into the SQL text.
class SqliteStatement {
  public:
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;
    ~SqliteStatement();

    // Binds by 1-based position after resetting the statement for a new run.
    SqliteStatement &reset();
    SqliteStatement &bind(int index, int64_t value);
    SqliteStatement &bind(int index, double value);
    SqliteStatement &bind(int index, const QString &value);
    SqliteStatement &bindBlob(int index, const QByteArray &value);
    SqliteStatement &bindNull(int index);

    // True while a row is ready; false at the end or on an error (see failed()).
    bool step();
    bool failed() const { return !error_.isEmpty(); }
    const QString &error() const { return error_; }

    int columnCount() const;
    bool isNull(int column) const;
    // The column as SQLite's text, as the records have always been read.
    const char *text(int column) const;
    QString string(int column) const;
    int64_t int64(int column) const;
    double real(int column) const;
    QByteArray blob(int column) const;

    sqlite3_stmt *handle() const { return stmt_; }

  private:
    friend class SqliteDatabase;
    SqliteStatement(SqliteDatabase *db, sqlite3_stmt *stmt) : db_(db), stmt_(stmt) {}
    SqliteDatabase *db_;
    sqlite3_stmt *stmt_;
    QString error_;
};

// One connection. Closed by the destructor; every error message names the file.
class SqliteDatabase {
  public:
    // Immutable: read-only without any lock, -wal or -shm, for a file nothing changes
    // meanwhile; it never meets another connection's locking or log recovery.
    enum class Mode { ReadOnly, ReadWrite, Immutable };

    SqliteDatabase() = default;
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;
    ~SqliteDatabase();

    // Opens an existing file; never creates one. Registers stand-ins for the functions the
    // stores' triggers call when SQLite does not know them.
    bool open(const QString &path, Mode mode, QString *error);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const QString &path() const { return path_; }
    sqlite3 *handle() const { return db_; }

    // A statement prepared once per connection and kept until the connection closes;
    // nullptr, with the reason in lastError(), when SQLite refuses the text.
    SqliteStatement *prepare(const QString &sql);
    // Whether the text prepares, without keeping it.
    bool prepares(const QString &sql);
    // Runs statements without results; false with lastError() set.
    bool exec(const QString &sql);
    // The first column of the first row as text; null on error or no row.
    QString scalar(const QString &sql);

    const QString &lastError() const { return lastError_; }
    QString errorFor(const QString &what) const;
    void setBusyTimeout(int milliseconds);

  private:
    void registerTriggerStandIns();
    sqlite3 *db_ = nullptr;
    QString path_;
    QString lastError_;
    std::vector<std::pair<QString, std::unique_ptr<SqliteStatement>>> statements_;
    friend class SqliteStatement;
};

// A table or column name read from a library's schema, quoted for the SQL text: such names
// come from files we did not make and must never read as SQL.
QString sqlName(const QString &name);

// "SQLite format 3\0" at the start of the file, and a size that whole pages fill.
bool looksLikeSqliteFile(const QString &path, QString *why);
