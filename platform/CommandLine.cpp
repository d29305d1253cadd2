#include "platform/CommandLine.h"

namespace platform {

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote == '\'') {
            if (c == '\'') {
                quote = 0;
            } else {
                word += c;
            }
        } else if (quote == '"') {
            if (c == '"') {
                quote = 0;
            } else if (c == '\\' && i + 1 < text.size() &&
                       std::string("\"\\$`").find(text[i + 1]) != std::string::npos) {
                word += text[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != 0) {
        return std::nullopt;
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

std::string QuoteArguments(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& word : words) {
        if (!out.empty()) {
            out += ' ';
        }
        if (!word.empty() && word.find_first_of(" \t\n\"\\`$'") == std::string::npos) {
            out += word;
            continue;
        }
        out += '"';
        for (char c : word) {
            if (c == '"' || c == '\\' || c == '`' || c == '$') {
                out += '\\';
            }
            out += c;
        }
        out += '"';
    }
    return out;
}

} // namespace platform
