#include "platform/Registry.h"

#include "platform/Folders.h"
#include "platform/TextCodec.h"

#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS keys(
    hive INTEGER NOT NULL, path TEXT NOT NULL, parent TEXT NOT NULL, name TEXT NOT NULL,
    PRIMARY KEY(hive, path));
CREATE INDEX IF NOT EXISTS keys_by_parent ON keys(hive, parent);
CREATE TABLE IF NOT EXISTS regvalues(
    hive INTEGER NOT NULL, key TEXT NOT NULL, lname TEXT NOT NULL, name TEXT NOT NULL,
    type INTEGER NOT NULL, number INTEGER, text TEXT,
    PRIMARY KEY(hive, key, lname));
)";

// A key path split into its names; empty names (doubled or outer backslashes) are dropped.
std::vector<std::u16string> SplitKey(std::u16string_view key) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = key.size();
        if (end > start)
            parts.emplace_back(key.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The folded path of the first `count` names: what the database compares.
std::u16string FoldedPath(const std::vector<std::u16string>& parts, size_t count) {
    std::u16string path;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            path += u'\\';
        path += TextCodec::FoldCase(parts[i]);
    }
    return path;
}

std::u16string FoldedPath(std::u16string_view key) {
    const auto parts = SplitKey(key);
    return FoldedPath(parts, parts.size());
}

// One prepared statement, finalized on scope exit; or one kept for reuse, reset on scope exit.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (db)
            sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    explicit Statement(sqlite3_stmt* kept) : m_stmt(kept), m_kept(true) {}
    ~Statement() {
        if (!m_kept) {
            sqlite3_finalize(m_stmt);
        } else if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    Statement& Bind(int index, int64_t value) {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    Statement& Bind(int index, std::u16string_view text) {
        sqlite3_bind_text16(m_stmt, index, text.data(), static_cast<int>(text.size() * 2),
                            SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, RegHive hive) { return Bind(index, static_cast<int64_t>(hive)); }
    int Step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    bool Run() {
        const int rc = Step();
        return rc == SQLITE_DONE || rc == SQLITE_ROW;
    }
    int64_t Int(int column) { return sqlite3_column_int64(m_stmt, column); }
    std::u16string Text(int column) {
        const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(m_stmt, column));
        const int bytes = sqlite3_column_bytes16(m_stmt, column);
        return text ? std::u16string(text, static_cast<size_t>(bytes) / 2) : std::u16string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    bool m_kept = false;
};

RegValue ReadValue(Statement& s, int typeColumn) {
    RegValue value;
    value.type = static_cast<uint32_t>(s.Int(typeColumn));
    value.number = static_cast<uint32_t>(s.Int(typeColumn + 1));
    value.text = s.Text(typeColumn + 2);
    return value;
}

} // namespace

Registry::Registry() = default;

Registry::Registry(const std::string& path) {
    Open(path);
}

Registry::~Registry() {
    Close();
}

Registry& Registry::Shared() {
    static Registry shared(Folders::RegistryPath());
    return shared;
}

bool Registry::Open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    return OpenLocked(path);
}

void Registry::Close() {
    std::lock_guard lock(m_mutex);
    CloseLocked();
}

bool Registry::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_db != nullptr;
}

bool Registry::IsWritable() const {
    std::lock_guard lock(m_mutex);
    return m_db != nullptr && m_writable;
}

std::string Registry::Path() const {
    std::lock_guard lock(m_mutex);
    return m_path;
}

bool Registry::OpenLocked(const std::string& path) {
    CloseLocked();
    m_path = path;
    m_reportedWrite = false;
    Folders::Ensure(Folders::FolderOf(path));

    int rc = sqlite3_open_v2(path.c_str(), &m_db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
        rc = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    }
    if (rc != SQLITE_OK) {
        ReportOpenFailure(m_db ? sqlite3_errmsg(m_db) : "out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    m_writable = sqlite3_db_readonly(m_db, "main") == 0;

    // Prove that the file is a database we can read before anything else touches it; a file
    // that isn't one is left exactly as it is.
    if (!Exec("SELECT count(*) FROM sqlite_master")) {
        ReportOpenFailure(sqlite3_errmsg(m_db));
        CloseLocked();
        return false;
    }
    if (m_writable) {
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=NORMAL");
        if (!Exec(kSchema)) {
            ReportOpenFailure(std::string("cannot create tables: ") + sqlite3_errmsg(m_db));
            m_writable = false;
        }
    }
    if (!m_writable) {
        std::fprintf(stderr, "sonvale: registry %s is read-only; settings will not be saved\n",
                     path.c_str());
        m_reportedWrite = true;
    }
    return true;
}

void Registry::CloseLocked() {
    sqlite3_finalize(m_query);
    m_query = nullptr;
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
    m_writable = false;
}

bool Registry::Exec(const char* sql) {
    return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool Registry::Begin() {
    return Exec("BEGIN IMMEDIATE");
}

bool Registry::Commit() {
    return Exec("COMMIT");
}

void Registry::Rollback() {
    Exec("ROLLBACK");
}

void Registry::ReportOpenFailure(const std::string& what) {
    std::fprintf(stderr, "sonvale: cannot open registry %s (%s); using defaults\n", m_path.c_str(),
                 what.c_str());
}

void Registry::ReportWriteFailure(const char* what) {
    if (m_reportedWrite)
        return;
    m_reportedWrite = true;
    std::fprintf(stderr, "sonvale: cannot write registry %s (%s); settings not saved\n",
                 m_path.c_str(), m_db ? what : "not open");
}

bool Registry::KeyExists(RegHive hive, std::u16string_view key) {
    const std::u16string path = FoldedPath(key);
    std::lock_guard lock(m_mutex);
    if (!m_db)
        return false;
    if (path.empty())
        return true;
    Statement s(m_db, "SELECT 1 FROM keys WHERE hive = ? AND path = ?");
    s.Bind(1, hive).Bind(2, path);
    return s.Step() == SQLITE_ROW;
}

bool Registry::CreateKeyLocked(RegHive hive, const std::vector<std::u16string>& parts) {
    for (size_t i = 1; i <= parts.size(); ++i) {
        Statement s(m_db, "INSERT OR IGNORE INTO keys(hive, path, parent, name) VALUES(?,?,?,?)");
        s.Bind(1, hive).Bind(2, FoldedPath(parts, i)).Bind(3, FoldedPath(parts, i - 1));
        s.Bind(4, parts[i - 1]);
        if (!s.Run())
            return false;
    }
    return true;
}

bool Registry::CreateKey(RegHive hive, std::u16string_view key) {
    const auto parts = SplitKey(key);
    std::lock_guard lock(m_mutex);
    if (!m_db || !m_writable || !Begin()) {
        ReportWriteFailure(m_db ? sqlite3_errmsg(m_db) : "");
        return false;
    }
    if (!CreateKeyLocked(hive, parts) || !Commit()) {
        ReportWriteFailure(sqlite3_errmsg(m_db));
        Rollback();
        return false;
    }
    return true;
}

bool Registry::DeleteKey(RegHive hive, std::u16string_view key) {
    const std::u16string path = FoldedPath(key);
    if (path.empty())
        return false; // a hive itself can't be deleted
    // Everything below `path` sorts between "path\" and "path]" (']' follows '\').
    const std::u16string low = path + u'\\', high = path + u']';
    std::lock_guard lock(m_mutex);
    if (!m_db || !m_writable || !Begin()) {
        ReportWriteFailure(m_db ? sqlite3_errmsg(m_db) : "");
        return false;
    }
    Statement keys(m_db, "DELETE FROM keys WHERE hive = ?1 AND (path = ?2 OR (path > ?3 AND "
                         "path < ?4))");
    keys.Bind(1, hive).Bind(2, path).Bind(3, low).Bind(4, high);
    const bool ok = keys.Run();
    const bool existed = ok && sqlite3_changes(m_db) > 0;
    Statement values(m_db, "DELETE FROM regvalues WHERE hive = ?1 AND (key = ?2 OR (key > ?3 AND "
                           "key < ?4))");
    values.Bind(1, hive).Bind(2, path).Bind(3, low).Bind(4, high);
    if (!ok || !values.Run() || !Commit()) {
        ReportWriteFailure(sqlite3_errmsg(m_db));
        Rollback();
        return false;
    }
    return existed;
}

std::optional<RegValue> Registry::QueryValue(RegHive hive, std::u16string_view key,
                                             std::u16string_view name) {
    const std::u16string path = FoldedPath(key);
    std::lock_guard lock(m_mutex);
    if (!m_query && m_db)
        sqlite3_prepare_v3(m_db,
                           "SELECT type, number, text FROM regvalues WHERE hive = ? AND key = ? "
                           "AND lname = ?",
                           -1, SQLITE_PREPARE_PERSISTENT, &m_query, nullptr);
    Statement s(m_query);
    if (!s.Ok())
        return std::nullopt;
    s.Bind(1, hive).Bind(2, path).Bind(3, TextCodec::FoldCase(name));
    if (s.Step() != SQLITE_ROW)
        return std::nullopt;
    return ReadValue(s, 0);
}

bool Registry::SetNumber(RegHive hive, std::u16string_view key, std::u16string_view name,
                         uint32_t value) {
    return SetValue(hive, key, name, RegValue{REG_DWORD, value, {}});
}

bool Registry::SetString(RegHive hive, std::u16string_view key, std::u16string_view name,
                         std::u16string_view value) {
    return SetValue(hive, key, name, RegValue{REG_SZ, 0, std::u16string(value)});
}

bool Registry::SetValue(RegHive hive, std::u16string_view key, std::u16string_view name,
                        const RegValue& value) {
    const auto parts = SplitKey(key);
    std::lock_guard lock(m_mutex);
    if (!m_db || !m_writable || !Begin()) {
        ReportWriteFailure(m_db ? sqlite3_errmsg(m_db) : "");
        return false;
    }
    Statement s(m_db, "INSERT INTO regvalues(hive, key, lname, name, type, number, text) "
                      "VALUES(?,?,?,?,?,?,?) ON CONFLICT(hive, key, lname) DO UPDATE SET "
                      "type = excluded.type, number = excluded.number, text = excluded.text");
    s.Bind(1, hive).Bind(2, FoldedPath(parts, parts.size())).Bind(3, TextCodec::FoldCase(name));
    s.Bind(4, name).Bind(5, static_cast<int64_t>(value.type));
    s.Bind(6, static_cast<int64_t>(value.number)).Bind(7, value.text);
    if (!CreateKeyLocked(hive, parts) || !s.Run() || !Commit()) {
        ReportWriteFailure(sqlite3_errmsg(m_db));
        Rollback();
        return false;
    }
    return true;
}

bool Registry::DeleteValue(RegHive hive, std::u16string_view key, std::u16string_view name) {
    const std::u16string path = FoldedPath(key);
    std::lock_guard lock(m_mutex);
    if (!m_db || !m_writable) {
        ReportWriteFailure("");
        return false;
    }
    Statement s(m_db, "DELETE FROM regvalues WHERE hive = ? AND key = ? AND lname = ?");
    s.Bind(1, hive).Bind(2, path).Bind(3, TextCodec::FoldCase(name));
    if (!s.Run()) {
        ReportWriteFailure(sqlite3_errmsg(m_db));
        return false;
    }
    return sqlite3_changes(m_db) > 0;
}

std::vector<std::u16string> Registry::EnumKeys(RegHive hive, std::u16string_view key) {
    const std::u16string path = FoldedPath(key);
    std::vector<std::u16string> names;
    std::lock_guard lock(m_mutex);
    Statement s(m_db, "SELECT name FROM keys WHERE hive = ? AND parent = ? ORDER BY rowid");
    if (!s.Ok())
        return names;
    s.Bind(1, hive).Bind(2, path);
    while (s.Step() == SQLITE_ROW)
        names.push_back(s.Text(0));
    return names;
}

std::vector<std::pair<std::u16string, RegValue>> Registry::EnumValues(RegHive hive,
                                                                      std::u16string_view key) {
    const std::u16string path = FoldedPath(key);
    std::vector<std::pair<std::u16string, RegValue>> values;
    std::lock_guard lock(m_mutex);
    Statement s(m_db, "SELECT name, type, number, text FROM regvalues WHERE hive = ? AND key = ? "
                      "ORDER BY rowid");
    if (!s.Ok())
        return values;
    s.Bind(1, hive).Bind(2, path);
    while (s.Step() == SQLITE_ROW)
        values.emplace_back(s.Text(0), ReadValue(s, 1));
    return values;
}
