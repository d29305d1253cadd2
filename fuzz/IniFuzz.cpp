// Profile (INI) text as Config.ini and the updater's lists hold it: parsing
// never fails, writing the text back and parsing it again changes nothing,
// and a key that was set reads back.
#include "ltl/IniDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string Word(const uint8_t* data, std::size_t size, std::size_t from) {
    std::string word;
    for (std::size_t i = from; i < size && word.size() < 8; ++i) {
        const char c = static_cast<char>(data[i]);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            word += c;
        }
    }
    return word.empty() ? "k" : word;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ltl::IniDocument document(text);
    const std::string once = document.Text();
    if (ltl::IniDocument(once).Text() != once) {
        std::abort();
    }
    const std::string section = Word(data, size, 0), key = Word(data, size, size / 2),
                      value = Word(data, size, size / 3);
    if (ltl::IniDocument::IsWritable(section, key, value)) {
        document.Set(section, key, value);
        if (document.Get(section, key).value_or("<missing>") != value ||
            ltl::IniDocument(document.Text()).Get(section, key).value_or("<missing>") != value) {
            std::abort();
        }
    }
    return 0;
}
