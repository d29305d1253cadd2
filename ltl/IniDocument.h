#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ltl {

// The text of a profile (INI) file, kept line by line so that a write changes
// one key and leaves comments, order and everything else as it was.
// Section and key names compare case-insensitively (ASCII); the first match wins.
class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(std::string_view text);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    std::vector<std::string> SectionNames() const;

    // Sets or adds a key; a missing section is appended at the end.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

    // Names and values that would change the file's structure (line breaks,
    // a key with '=' or '[' at its start, a section with ']') cannot be written.
    static bool IsWritable(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Line {
        std::string text;
        enum Kind { Other, Section, Entry } kind = Other;
        std::string name;  // section name or key, trimmed
        std::string value; // entry value, trimmed and unquoted
    };
    static Line Classify(std::string text);
    std::size_t FindSection(std::string_view section) const; // index or npos
    std::size_t SectionEnd(std::size_t header) const;

    std::vector<Line> m_lines;
    std::string m_eol = "\n";
    bool m_bom = false;
    bool m_finalEol = true;
};

bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace ltl
