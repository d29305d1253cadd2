#include "ltl/IniDocument.h"

namespace ltl {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t npos = std::string::npos;

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Values may be written in matching single or double quotes; readers get the inside.
std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

IniDocument::IniDocument(std::string_view text) {
    if (text.substr(0, kBom.size()) == kBom) {
        m_bom = true;
        text.remove_prefix(kBom.size());
    }
    if (text.find("\r\n") != npos) {
        m_eol = "\r\n";
    }
    m_finalEol = text.empty() || text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        // Only the CR of a CR LF ends a line; any other CR is the line's own.
        if (end < text.size() && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        m_lines.push_back(Classify(std::string(line)));
        start = end + 1;
    }
}

IniDocument::Line IniDocument::Classify(std::string text) {
    Line line;
    line.text = std::move(text);
    const std::string_view t = Trim(line.text);
    if (t.empty() || t.front() == ';') {
        return line;
    }
    if (t.front() == '[') {
        auto close = t.find(']');
        line.kind = Line::Section;
        line.name = std::string(Trim(t.substr(1, close == npos ? npos : close - 1)));
        return line;
    }
    const auto eq = t.find('=');
    if (eq == npos) {
        return line;
    }
    line.kind = Line::Entry;
    line.name = std::string(Trim(t.substr(0, eq)));
    line.value = std::string(Unquote(Trim(t.substr(eq + 1))));
    return line;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Section && EqualsNoCase(m_lines[i].name, section)) {
            return i;
        }
    }
    return npos;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section) {
        ++i;
    }
    return i;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto header = FindSection(section);
    if (header == npos) {
        return std::nullopt;
    }
    const auto end = SectionEnd(header);
    for (auto i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Line::Entry && EqualsNoCase(m_lines[i].name, key)) {
            return m_lines[i].value;
        }
    }
    return std::nullopt;
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Section) {
            names.push_back(line.name);
        }
    }
    return names;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    auto header = FindSection(section);
    if (header == npos) {
        if (!m_lines.empty() && !Trim(m_lines.back().text).empty()) {
            m_lines.push_back(Classify(""));
        }
        m_lines.push_back(Classify("[" + std::string(section) + "]"));
        m_lines.push_back(Classify(std::string(key) + "=" + std::string(value)));
        return;
    }
    const auto end = SectionEnd(header);
    auto insertAt = header + 1;
    for (auto i = header + 1; i < end; ++i) {
        if (m_lines[i].kind != Line::Entry) {
            continue;
        }
        if (EqualsNoCase(m_lines[i].name, key)) {
            m_lines[i] = Classify(m_lines[i].name + "=" + std::string(value));
            return;
        }
        insertAt = i + 1;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   Classify(std::string(key) + "=" + std::string(value)));
}

std::string IniDocument::Text() const {
    std::string out = m_bom ? std::string(kBom) : std::string();
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i].text;
        if (i + 1 < m_lines.size() || m_finalEol) {
            out += m_eol;
        }
    }
    return out;
}

bool IniDocument::IsWritable(std::string_view section, std::string_view key, std::string_view value) {
    auto hasBreak = [](std::string_view s) {
        return s.find_first_of("\r\n") != npos || s.find('\0') != npos;
    };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value)) {
        return false;
    }
    const auto k = Trim(key);
    if (k.empty() || k.find('=') != npos || k.front() == '[' || k.front() == ';') {
        return false;
    }
    return !Trim(section).empty() && section.find(']') == npos;
}

} // namespace ltl
