#include "foundation/wildcard.h"

#include <regex.h>

#include <cstring>
#include <string>

namespace {

// The current pattern; `compiled` is false until one compiled.
struct CompiledPattern {
    re_pattern_buffer current{};
    bool compiled = false;
} kept_pattern;

// Folds a..z to A..Z in the pattern and in every text matched, and nothing
// else whatever the locale says of the other bytes.
unsigned char* fold_table() {
    static unsigned char table[256];
    static bool made = false;
    if (!made) {
        for (int i = 0; i < 256; ++i)
            table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 'a' + 'A' : i);
        made = true;
    }
    return table;
}

void release_current() {
    if (!kept_pattern.compiled) return;
    kept_pattern.current.translate = nullptr;  // the table is ours, not the library's to free
    regfree(&kept_pattern.current);
    kept_pattern.current = re_pattern_buffer{};
    kept_pattern.compiled = false;
}

std::string translate(const char* pattern) {
    std::string regex;
    if (pattern[0] != '^') regex += '^';
    for (const char* p = pattern; *p; ++p) {
        if (*p == '?')
            regex += '.';
        else if (*p == '*')
            regex += ".*";
        else
            regex += *p;
    }
    if (regex.back() != '$') regex += '$';
    return regex;
}

}  // namespace

int wildcard_compile(const char* pattern) {
    release_current();
    std::string regex = translate(pattern ? pattern : "");
    re_syntax_options = RE_SYNTAX_EMACS;
    kept_pattern.current.translate = fold_table();
    kept_pattern.current.newline_anchor = 1;
    if (re_compile_pattern(regex.data(), regex.size(), &kept_pattern.current) != nullptr) {
        kept_pattern.current.translate = nullptr;
        regfree(&kept_pattern.current);
        kept_pattern.current = re_pattern_buffer{};
        return -1;
    }
    kept_pattern.compiled = true;
    return 0;
}

bool wildcard_exec(const char* text) {
    if (!kept_pattern.compiled || text == nullptr) return false;
    auto length = static_cast<regoff_t>(std::strlen(text));
    return re_search(&kept_pattern.current, text, length, 0, length, nullptr) >= 0;
}

bool wildcard_match_nocase(const char* text, bool keep_case) {
    if (text == nullptr) return false;
    std::string copy = text;
    if (!keep_case)
        for (char& c : copy)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return wildcard_exec(copy.c_str());
}

bool wildcard_match(const char* pattern, const char* text) {
    wildcard_compile(pattern);
    bool matched = wildcard_exec(text);
    wildcard_free();
    return matched;
}

void wildcard_free() {}
