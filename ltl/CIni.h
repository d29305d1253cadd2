#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ltl {

// Reads and writes profile (INI) files with the Windows profile semantics the
// suite's files were designed for: case-insensitive sections and keys, missing
// keys answer the defaults given at construction, and a write changes only its
// key. Nothing is cached: every call goes to the file. Each write replaces the
// file atomically under a lock, so several processes writing different keys
// lose none of them and a reader never sees a half-written file.
class CIni {
public:
    CIni(bool defaultFlag = false, int defaultInt = -1, const char* defaultText = "");
    CIni(bool defaultFlag, int defaultInt, const char* defaultText, const char* fileName);
    virtual ~CIni() = default;

    // A name with a '/' is used as the path; a bare name is looked up in the
    // current directory. Open never creates the file.
    bool Open(const char* fileName);
    bool OpenOrCreate(const char* fileName);
    const std::string& GetPath() const { return m_path; }

    bool GetString(const char* section, const char* key, char* out, int size) const;
    std::string GetString(const char* section, const char* key) const;
    int GetInt(const char* section, const char* key) const;
    bool GetBool(const char* section, const char* key) const;
    bool GetSectionNames(std::vector<std::string>& names) const;

    bool SetString(const char* section, const char* key, const char* text);
    bool SetInt(const char* section, const char* key, int value);
    bool SetBool(const char* section, const char* key, bool value);
    bool SetIntList(const char* section, const char* key, const std::vector<int>& values);

    // Several keys in one atomic replace: readers see all of them or none.
    struct Entry {
        std::string section, key, value;
    };
    bool SetStrings(const std::vector<Entry>& entries);

    // Parses an integer the way profile reads do: optional sign, decimal or
    // 0x-hexadecimal digits up to the first other character, 32-bit wrap-around.
    static int ParseProfileInt(const std::string& text);

private:
    std::string ResolvePath(const char* fileName) const;
    bool ReadText(std::string& text) const;
    std::optional<std::string> ReadValue(const char* section, const char* key) const;

    std::string m_path;
    std::string m_defaultText;
    bool m_defaultFlag;
    int m_defaultInt;
};

} // namespace ltl
