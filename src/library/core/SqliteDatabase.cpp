#include "library/core/SqliteDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <mutex>
#include <sqlite3.h>

void configureSqliteOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Only possible before SQLite initialises; a later call would return SQLITE_MISUSE.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        sqlite3_initialize();
    });
}

// ---- SqliteStatement ----

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(stmt_);
}

SqliteStatement &SqliteStatement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    error_.clear();
    return *this;
}

SqliteStatement &SqliteStatement::bind(int index, int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK)
        error_ = db_->errorFor(QStringLiteral("bind"));
    return *this;
}

SqliteStatement &SqliteStatement::bind(int index, double value) {
    if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK)
        error_ = db_->errorFor(QStringLiteral("bind"));
    return *this;
}

SqliteStatement &SqliteStatement::bind(int index, const QString &value) {
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        error_ = db_->errorFor(QStringLiteral("bind"));
    return *this;
}

SqliteStatement &SqliteStatement::bindBlob(int index, const QByteArray &value) {
    if (sqlite3_bind_blob(stmt_, index, value.constData(), int(value.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        error_ = db_->errorFor(QStringLiteral("bind"));
    return *this;
}

SqliteStatement &SqliteStatement::bindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK)
        error_ = db_->errorFor(QStringLiteral("bind"));
    return *this;
}

bool SqliteStatement::step() {
    if (!error_.isEmpty())
        return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        error_ = db_->errorFor(QStringLiteral("step"));
    return false;
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

const char *SqliteStatement::text(int column) const {
    return reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
}

QString SqliteStatement::string(int column) const {
    const char *t = text(column);
    return t ? QString::fromUtf8(t) : QString();
}

int64_t SqliteStatement::int64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double SqliteStatement::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

QByteArray SqliteStatement::blob(int column) const {
    const void *bytes = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return bytes ? QByteArray(static_cast<const char *>(bytes), size) : QByteArray();
}

// ---- SqliteDatabase ----

SqliteDatabase::~SqliteDatabase() {
    close();
}

void SqliteDatabase::close() {
    statements_.clear(); // finalized before the connection goes
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

QString SqliteDatabase::errorFor(const QString &what) const {
    return QStringLiteral("%1 failed on \"%2\": %3")
        .arg(what, path_,
             db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("not open"));
}

bool SqliteDatabase::open(const QString &path, Mode mode, QString *error) {
    configureSqliteOnce();
    close();
    path_ = path;
    int flags = (mode == Mode::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) |
                SQLITE_OPEN_NOMUTEX;
    QByteArray name = QFile::encodeName(path);
    if (mode == Mode::Immutable) {
        // A URI, so every '%', '?' and '#' of the path is escaped.
        name = "file:" + name.toPercentEncoding("/") + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    const int rc = sqlite3_open_v2(name.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        lastError_ = errorFor(QStringLiteral("open"));
        if (error)
            *error = lastError_;
        close();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    // Reading the schema tells a database from any other file.
    if (scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).isNull()) {
        if (error)
            *error = lastError_;
        close();
        return false;
    }
    registerTriggerStandIns();
    return true;
}

void SqliteDatabase::setBusyTimeout(int milliseconds) {
    if (db_)
        sqlite3_busy_timeout(db_, milliseconds);
}

SqliteStatement *SqliteDatabase::prepare(const QString &sql) {
    for (auto &[text, stmt] : statements_)
        if (text == sql) {
            stmt->reset();
            return stmt.get();
        }
    if (!db_) {
        lastError_ = errorFor(QStringLiteral("prepare"));
        return nullptr;
    }
    sqlite3_stmt *raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &raw, nullptr) != SQLITE_OK ||
        !raw) {
        lastError_ = errorFor(QStringLiteral("prepare"));
        sqlite3_finalize(raw);
        return nullptr;
    }
    statements_.emplace_back(sql, std::unique_ptr<SqliteStatement>(new SqliteStatement(this, raw)));
    return statements_.back().second.get();
}

bool SqliteDatabase::prepares(const QString &sql) {
    if (!db_)
        return false;
    sqlite3_stmt *raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &raw, nullptr);
    sqlite3_finalize(raw);
    return rc == SQLITE_OK;
}

bool SqliteDatabase::exec(const QString &sql) {
    if (!db_) {
        lastError_ = errorFor(QStringLiteral("exec"));
        return false;
    }
    char *message = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) {
        lastError_ = errorFor(QStringLiteral("exec"));
        return false;
    }
    return true;
}

QString SqliteDatabase::scalar(const QString &sql) {
    SqliteStatement *stmt = prepare(sql);
    if (!stmt)
        return QString();
    QString out;
    if (stmt->step())
        out = stmt->isNull(0) ? QStringLiteral("") : stmt->string(0);
    else if (stmt->failed())
        lastError_ = stmt->error();
    stmt->reset();
    return out;
}

namespace {
void noOpFunction(sqlite3_context *context, int, sqlite3_value **) {
    sqlite3_result_null(context);
}
} // namespace

void SqliteDatabase::registerTriggerStandIns() {
    // The photo application's triggers call functions of its own (change tracking); without
    // them every UPDATE that fires one fails with "no such function".
    QSet<QString> known;
    if (SqliteStatement *list = prepare(QStringLiteral("SELECT name FROM pragma_function_list"))) {
        while (list->step())
            known.insert(list->string(0).toLower());
        list->reset();
    }
    static const QSet<QString> keywords = {
        QStringLiteral("in"),     QStringLiteral("values"), QStringLiteral("exists"),
        QStringLiteral("and"),    QStringLiteral("or"),     QStringLiteral("not"),
        QStringLiteral("on"),     QStringLiteral("as"),     QStringLiteral("select"),
        QStringLiteral("where"),  QStringLiteral("from"),   QStringLiteral("cast"),
        QStringLiteral("using"),  QStringLiteral("set"),    QStringLiteral("into"),
        QStringLiteral("begin"),  QStringLiteral("then"),   QStringLiteral("else"),
        QStringLiteral("when"),   QStringLiteral("is"),     QStringLiteral("like"),
        QStringLiteral("over"),   QStringLiteral("filter"), QStringLiteral("case"),
        QStringLiteral("update"), QStringLiteral("of")};
    static const QRegularExpression call(QStringLiteral("([A-Za-z_][A-Za-z0-9_]*)\\s*\\("));
    QSet<QString> registered;
    SqliteStatement *triggers =
        prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'trigger'"));
    if (!triggers)
        return;
    while (triggers->step()) {
        const QString sql = triggers->string(0);
        auto it = call.globalMatch(sql);
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            const QString lower = name.toLower();
            if (known.contains(lower) || keywords.contains(lower) || registered.contains(lower))
                continue;
            registered.insert(lower);
            sqlite3_create_function_v2(db_, name.toUtf8().constData(), -1, SQLITE_UTF8, nullptr,
                                       noOpFunction, nullptr, nullptr, nullptr);
        }
    }
    triggers->reset();
}

QString sqlName(const QString &name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool looksLikeSqliteFile(const QString &path, QString *why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = QStringLiteral("\"%1\" cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16))) {
        if (why)
            *why = QStringLiteral("\"%1\" is not an SQLite database").arg(path);
        return false;
    }
    const auto b = [&](int i) { return uint32_t(uint8_t(header.at(i))); };
    uint32_t pageSize = (b(16) << 8) | b(17);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0 || file.size() % pageSize != 0) {
        if (why)
            *why = QStringLiteral("\"%1\" is cut short or damaged").arg(path);
        return false;
    }
    return true;
}
