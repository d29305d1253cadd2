#include "platform/DesktopEntry.h"

#include <fstream>
#include <map>
#include <sstream>

namespace platform {
namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The general escapes of string values (\s \n \t \r \\); other backslashes stay
// for the Exec quoting rules.
std::string Unescape(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[i + 1];
            const std::map<char, char> simple = {{'s', ' '}, {'n', '\n'}, {'t', '\t'}, {'r', '\r'}};
            if (auto it = simple.find(next); it != simple.end()) {
                out += it->second;
                ++i;
                continue;
            }
            if (next == '\\') {
                out += '\\';
                ++i;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

// Removes field codes from one word; a word that was only a field code vanishes.
std::optional<std::string> DropFieldCodes(const std::string& word) {
    std::string out;
    bool hadCode = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '%' && i + 1 < word.size()) {
            if (word[i + 1] == '%') {
                out += '%';
            } else {
                hadCode = true;
            }
            ++i;
            continue;
        }
        out += word[i];
    }
    if (hadCode && out.empty()) {
        return std::nullopt;
    }
    return out;
}

} // namespace

std::vector<std::string> SplitExec(const std::string& exec) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, inQuotes = false;
    auto finish = [&] {
        if (inWord) {
            if (auto kept = DropFieldCodes(word)) {
                words.push_back(*kept);
            }
        }
        word.clear();
        inWord = false;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string("\"`$\\").find(exec[i + 1]) != std::string::npos) {
                word += exec[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t') {
            finish();
        } else if (c == '"') {
            inQuotes = inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inQuotes) {
        return {};
    }
    finish();
    return words;
}

std::optional<DesktopEntry> ParseDesktopEntry(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::map<std::string, std::string> keys;
    bool inMainGroup = false, sawMainGroup = false;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#') {
            continue;
        }
        if (t[0] == '[') {
            inMainGroup = t == "[Desktop Entry]";
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        const auto eq = t.find('=');
        if (inMainGroup && eq != std::string::npos) {
            keys.emplace(Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)));
        }
    }
    if (!sawMainGroup || keys["Type"] != "Application" || keys["Exec"].empty()) {
        return std::nullopt;
    }
    DesktopEntry entry;
    entry.command = SplitExec(Unescape(keys["Exec"]));
    if (entry.command.empty()) {
        return std::nullopt;
    }
    entry.name = Unescape(keys.count("Name[zh_CN]") ? keys["Name[zh_CN]"] : keys["Name"]);
    entry.icon = Unescape(keys["Icon"]);
    entry.workingDirectory = Unescape(keys["Path"]);
    entry.noDisplay = keys["NoDisplay"] == "true" || keys["Hidden"] == "true";
    return entry;
}

std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    // Launchers are small; a large file is not one.
    constexpr std::size_t kLimit = 1 << 20;
    std::string text(kLimit + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLimit) {
        return std::nullopt;
    }
    return ParseDesktopEntry(text);
}

} // namespace platform
