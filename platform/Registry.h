#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The three hives of the handheld's registry.
enum class RegHive : int { ClassesRoot = 0, CurrentUser = 1, LocalMachine = 2 };
inline constexpr RegHive HKEY_CLASSES_ROOT = RegHive::ClassesRoot;
inline constexpr RegHive HKEY_CURRENT_USER = RegHive::CurrentUser;
inline constexpr RegHive HKEY_LOCAL_MACHINE = RegHive::LocalMachine;

// Value types, numbered as on the handheld.
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_DWORD = 4;

struct RegValue {
    uint32_t type = 0;
    uint32_t number = 0; // REG_DWORD
    std::u16string text; // REG_SZ
};

// The registry store: keys and values in one SQLite database (WAL journal), shared safely by
// several processes. Key paths use backslashes ("Software\\Quillmarsh\\SonvaleVGA"); key and
// value names compare without regard to case and keep the spelling they were created with.
//
// A store that can't be opened or written never throws and never destroys what is stored:
// reads answer "nothing there" (callers fall back to their defaults), writes return false, and
// one line on stderr says what went wrong.
class Registry {
public:
    Registry();
    explicit Registry(const std::string& path);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The process's store, opened at Folders::RegistryPath() on first use.
    static Registry& Shared();

    // Closes the current database and opens `path` (creating it and its folder if missing).
    // Falls back to read-only when the file can't be written. False when it can't be read.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const;
    bool IsWritable() const;
    std::string Path() const;

    bool KeyExists(RegHive hive, std::u16string_view key);
    // Creates the key and its missing parents.
    bool CreateKey(RegHive hive, std::u16string_view key);
    // Deletes the key with all its sub-keys and values. False when it doesn't exist.
    bool DeleteKey(RegHive hive, std::u16string_view key);

    std::optional<RegValue> QueryValue(RegHive hive, std::u16string_view key,
                                       std::u16string_view name);
    // Setting a value creates its key (and parents) when missing.
    bool SetNumber(RegHive hive, std::u16string_view key, std::u16string_view name, uint32_t value);
    bool SetString(RegHive hive, std::u16string_view key, std::u16string_view name,
                   std::u16string_view value);
    // False when the value doesn't exist.
    bool DeleteValue(RegHive hive, std::u16string_view key, std::u16string_view name);

    // Direct sub-key names, and values, in the order they were created.
    std::vector<std::u16string> EnumKeys(RegHive hive, std::u16string_view key);
    std::vector<std::pair<std::u16string, RegValue>> EnumValues(RegHive hive,
                                                                std::u16string_view key);

private:
    bool SetValue(RegHive hive, std::u16string_view key, std::u16string_view name,
                  const RegValue& value);
    bool OpenLocked(const std::string& path);
    void CloseLocked();
    bool CreateKeyLocked(RegHive hive, const std::vector<std::u16string>& parts);
    bool Exec(const char* sql);
    bool Begin();
    bool Commit();
    void Rollback();
    void ReportWriteFailure(const char* what);
    void ReportOpenFailure(const std::string& what);

    mutable std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_query = nullptr; // QueryValue's, prepared once: settings are read often
    bool m_writable = false;
    bool m_reportedWrite = false;
    std::string m_path;
};
