#include "Settings.h"

#include "FolderLock.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <memory>

namespace tallimo {

namespace {

// Marks a database as this tree, so that a foreign SQLite file is never taken for an empty one.
constexpr int kApplicationId = 0x54414C4D;
// Long enough for the other programs' short transactions, short enough not to look hung.
constexpr int kBusyTimeoutMs = 15000;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS entries ("
    " section_key BLOB NOT NULL,"  // case-folded section name
    " name_key BLOB NOT NULL,"     // case-folded key name
    " section BLOB NOT NULL,"      // names as first written
    " name BLOB NOT NULL,"
    " value BLOB NOT NULL,"
    " PRIMARY KEY (section_key, name_key)) WITHOUT ROWID";

// Names and values are kept as their UTF-16 code units (little-endian), so that any text,
// NUL and unpaired surrogates included, comes back unchanged.
QByteArray codeUnits(const QString& text) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QString fromCodeUnits(const void* data, int bytes) {
    QString text(bytes / 2, Qt::Uninitialized);
    if (bytes >= 2) qFromLittleEndian<char16_t>(data, bytes / 2, text.data());
    return text;
}

QByteArray nameKey(const QString& name) {
    return codeUnits(name.toCaseFolded());
}

// The file now at `path`; 0 when there is none.
ino_t fileAt(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 ? info.st_ino : 0;
}

class Connection {
public:
    explicit Connection(const QString& path, int flags)
        : path_(QFile::encodeName(path)), opened_(fileAt(path_)) {
        status_ = sqlite3_open_v2(path_.constData(), &db_, flags, nullptr);
        if (status_ == SQLITE_OK) sqlite3_busy_handler(db_, &Connection::waitForLock, this);
    }
    // Whether another program has set the opened file aside and put a fresh one in its place.
    bool fileReplaced() const { return fileAt(path_) != opened_; }
    ~Connection() { sqlite3_close_v2(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return status_ == SQLITE_OK; }
    int openStatus() const { return status_; }
    sqlite3* handle() const { return db_; }
    int exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }

private:
    // Waits for another program's lock as a busy timeout would, but gives up once the file was
    // replaced: a connection that took its lock on the set-aside file would take the fresh file's
    // journal for its own, play it into the old file and delete it under the other writer.
    static int waitForLock(void* self, int attempts) {
        constexpr int kPauseMs = 5;
        const auto* connection = static_cast<const Connection*>(self);
        if (attempts * kPauseMs >= kBusyTimeoutMs) return 0;
        ::usleep(kPauseMs * 1000);
        return connection->fileReplaced() ? 0 : 1;
    }

    QByteArray path_;
    ino_t opened_ = 0;
    sqlite3* db_ = nullptr;
    int status_ = SQLITE_ERROR;
};

class Statement {
public:
    Statement(Connection& connection, const char* sql) {
        status_ = sqlite3_prepare_v2(connection.handle(), sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isPrepared() const { return status_ == SQLITE_OK; }
    int prepareStatus() const { return status_; }
    // An empty array still binds an empty blob, never NULL.
    void bind(int index, const QByteArray& bytes) {
        static const char empty = 0;
        sqlite3_bind_blob(stmt_, index, bytes.isEmpty() ? &empty : bytes.constData(),
                          int(bytes.size()), SQLITE_TRANSIENT);
    }
    int step() { return sqlite3_step(stmt_); }
    // Ready for the next step with new bindings.
    void reset() { sqlite3_reset(stmt_); }
    int columnInt(int column) { return sqlite3_column_int(stmt_, column); }
    QByteArray columnUtf8(int column) {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)));
    }
    QString columnText(int column) {
        return fromCodeUnits(sqlite3_column_blob(stmt_, column),
                             sqlite3_column_bytes(stmt_, column));
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int status_ = SQLITE_ERROR;
};

bool isUnreadableDatabase(int status) {
    const int primary = status & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_CANTOPEN;
}

enum class StoreState { Ours, Empty, Foreign, Unreadable, Busy };

// Reads the header and the schema inside the caller's transaction (if any).
StoreState inspect(Connection& connection) {
    Statement id(connection, "PRAGMA application_id");
    if (!id.isPrepared())
        return isUnreadableDatabase(id.prepareStatus()) ? StoreState::Unreadable : StoreState::Busy;
    int status = id.step();
    if (status != SQLITE_ROW)
        return isUnreadableDatabase(status) ? StoreState::Unreadable : StoreState::Busy;
    if (id.columnInt(0) == kApplicationId) return StoreState::Ours;
    if (id.columnInt(0) != 0) return StoreState::Foreign;
    Statement objects(connection, "SELECT count(*) FROM sqlite_master");
    status = objects.isPrepared() ? objects.step() : objects.prepareStatus();
    if (status != SQLITE_ROW)
        return isUnreadableDatabase(status) ? StoreState::Unreadable : StoreState::Busy;
    return objects.columnInt(0) == 0 ? StoreState::Empty : StoreState::Foreign;
}

bool isBad(StoreState state) {
    return state == StoreState::Foreign || state == StoreState::Unreadable;
}

// A header that reads well says nothing of the pages behind it; a statement that meets a
// damaged page fails with one of these.
bool isDamage(int status) {
    const int primary = status & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Thrown inside a write transaction when a statement met damaged pages.
struct DamagedStore {};

// Whether the file on disk is still one to set aside: not a settings tree, or one whose pages
// fail the database's own check.
bool needsSettingAside(const QString& path) {
    if (!QFileInfo::exists(path)) return false;
    Connection connection(path, SQLITE_OPEN_READWRITE);
    if (!connection.isOpen()) return true;
    const StoreState state = inspect(connection);
    if (state != StoreState::Ours) return isBad(state);
    Statement check(connection, "PRAGMA quick_check(1)");
    if (!check.isPrepared()) return isDamage(check.prepareStatus());
    const int status = check.step();
    if (status != SQLITE_ROW) return isDamage(status);
    return check.columnUtf8(0) != "ok";
}

// Keeps a file that is not a settings tree under a new name; it is never deleted, as it may be
// what is left of the user's settings.
void setAside(const QString& path) {
    // Locked, so that two programs that both met the bad file do not set aside the fresh one the
    // other just made.
    FolderLock lock(path);
    if (!needsSettingAside(path)) return;  // another program has already made a fresh one
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-hhmmss");
    QString aside = path + QStringLiteral(".bad-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".bad-") + stamp + u'-' + QString::number(n);
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0)
        throw SettingsError("cannot set aside the unreadable settings file " + path.toStdString());
    // A journal beside the bad file would otherwise be played into the fresh database.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        const QString companion = path + QLatin1String(suffix);
        if (QFileInfo::exists(companion))
            ::rename(QFile::encodeName(companion).constData(),
                     QFile::encodeName(aside + QLatin1String(suffix)).constData());
    }
}

void createPrivateFile(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            throw SettingsError("cannot create the settings folder " + folder.toStdString());
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
    } else if (errno != EEXIST) {
        // Said here, where the reason is known: the open that follows would only call the
        // missing file unreadable.
        throw SettingsError("cannot create the settings file " + path.toStdString() + ": " +
                            std::strerror(errno));
    }
}

[[noreturn]] void fail(const char* what, Connection& connection, int status = SQLITE_ERROR) {
    if (isDamage(status)) throw DamagedStore{};
    throw SettingsError(std::string(what) + " in " + settingsFilePath().toStdString() + ": " +
                        connection.error().toStdString());
}

// Runs body inside one write transaction on a settings tree, making the tree (and setting a bad
// file aside) first when needed.
template <typename Body>
void writeTransaction(Body&& body) {
    const QString path = settingsFilePath();
    constexpr int kReplacedRetries = 3;
    for (int attempt = 0, replaced = 0;; ++attempt) {
        createPrivateFile(path);
        Connection connection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        StoreState state = StoreState::Unreadable;
        if (connection.isOpen()) {
            const int begun = connection.exec("BEGIN IMMEDIATE");
            if (begun == SQLITE_OK) {
                state = inspect(connection);
            } else if (connection.fileReplaced() && replaced++ < kReplacedRetries) {
                --attempt;  // the fresh file another program made is written as if found here
                continue;
            } else if (!isUnreadableDatabase(begun)) {
                fail("cannot write the settings", connection);
            }
        }
        if (isBad(state)) {
            if (attempt > 0)
                throw SettingsError("cannot open or replace the settings file " +
                                    path.toStdString());
            connection.exec("ROLLBACK");
            setAside(path);
            continue;
        }
        if (state == StoreState::Busy) fail("cannot read the settings", connection);
        try {
            if (state == StoreState::Empty) {
                const QByteArray setId =
                    "PRAGMA application_id = " + QByteArray::number(kApplicationId);
                if (const int status = connection.exec(setId.constData()); status != SQLITE_OK)
                    fail("cannot create the settings", connection, status);
                if (const int status = connection.exec(kSchema); status != SQLITE_OK)
                    fail("cannot create the settings", connection, status);
            }
            body(connection);
            if (const int status = connection.exec("COMMIT"); status != SQLITE_OK)
                fail("cannot write the settings", connection, status);
        } catch (const DamagedStore&) {
            connection.exec("ROLLBACK");
            if (attempt > 0)
                throw SettingsError("cannot write the settings: the fresh settings file " +
                                    path.toStdString() + " is damaged as well");
            setAside(path);
            continue;
        } catch (...) {
            connection.exec("ROLLBACK");
            throw;
        }
        return;
    }
}

void deleteEntries(const char* sql, const QString& section, const QString* key,
                   const std::string& absent) {
    if (!QFileInfo::exists(settingsFilePath())) throw SettingsError(absent);
    writeTransaction([&](Connection& connection) {
        Statement remove(connection, sql);
        if (!remove.isPrepared())
            fail("cannot delete from the settings", connection, remove.prepareStatus());
        remove.bind(1, nameKey(section));
        if (key) remove.bind(2, nameKey(*key));
        if (const int status = remove.step(); status != SQLITE_DONE)
            fail("cannot delete from the settings", connection, status);
        if (sqlite3_changes(connection.handle()) == 0) throw SettingsError(absent);
    });
}

}  // namespace

QString settingsFilePath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/RivaDare4Ruzar/settings.sqlite");
}

std::optional<QString> settingsFind(const QString& section, const QString& key) {
    const QString path = settingsFilePath();
    if (!QFileInfo::exists(path)) return std::nullopt;
    // Read-write so that a transaction left behind by a program that died can be rolled back;
    // read-only when the file allows nothing more.
    auto opened = std::make_unique<Connection>(path, SQLITE_OPEN_READWRITE);
    if (!opened->isOpen()) opened = std::make_unique<Connection>(path, SQLITE_OPEN_READONLY);
    Connection& connection = *opened;
    if (!connection.isOpen()) return std::nullopt;
    Statement select(connection,
                     "SELECT value FROM entries WHERE section_key = ?1 AND name_key = ?2");
    if (!select.isPrepared()) return std::nullopt;
    select.bind(1, nameKey(section));
    select.bind(2, nameKey(key));
    if (select.step() != SQLITE_ROW) return std::nullopt;
    return select.columnText(0);
}

QString settingsGet(const QString& section, const QString& key, const QString& defaultValue) {
    return settingsFind(section, key).value_or(defaultValue);
}

void settingsSave(const QString& section, const QString& key, const QString& value) {
    settingsSaveAll({{section, key, value}});
}

void settingsSaveAll(const QList<SettingsWrite>& writes) {
    writeTransaction([&](Connection& connection) {
        Statement upsert(
            connection,
            "INSERT INTO entries VALUES (?1, ?2, ?3, ?4, ?5)"
            " ON CONFLICT (section_key, name_key) DO UPDATE SET value = excluded.value");
        if (!upsert.isPrepared())
            fail("cannot save the settings", connection, upsert.prepareStatus());
        for (const SettingsWrite& write : writes) {
            upsert.bind(1, nameKey(write.section));
            upsert.bind(2, nameKey(write.key));
            upsert.bind(3, codeUnits(write.section));
            upsert.bind(4, codeUnits(write.key));
            upsert.bind(5, codeUnits(write.value));
            if (const int status = upsert.step(); status != SQLITE_DONE)
                fail("cannot save the settings", connection, status);
            upsert.reset();
        }
    });
}

void settingsDelete(const QString& section) {
    deleteEntries("DELETE FROM entries WHERE section_key = ?1", section, nullptr,
                  "settings section \"" + section.toStdString() + "\" does not exist");
}

void settingsDelete(const QString& section, const QString& key) {
    deleteEntries("DELETE FROM entries WHERE section_key = ?1 AND name_key = ?2", section, &key,
                  "settings entry \"" + section.toStdString() + "\\" + key.toStdString() +
                      "\" does not exist");
}

}  // namespace tallimo
