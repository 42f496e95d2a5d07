#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "foundation/services.h"
#include "foundation/text_forms.h"

namespace {

std::string newline_bytes() {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buffer, &size);
    put_newline(f);
    std::fclose(f);
    std::string bytes(buffer, size);
    std::free(buffer);
    return bytes;
}

TEST(PutNewline, CrLfOnlyWhenTheHookSaysSo) {
    set_newline_hook(nullptr);
    EXPECT_EQ(newline_bytes(), "\n");
    set_newline_hook([] { return 1; });
    EXPECT_EQ(newline_bytes(), "\r\n");
    set_newline_hook([] { return 0; });
    EXPECT_EQ(newline_bytes(), "\n");
    set_newline_hook(nullptr);
}

struct Quoting {
    const char* text;
    const char* quoted;
};

const Quoting quotings[] = {
    {"it's", "'it''s'"}, {"", "''"}, {"'", "''''"}, {"74LS00", "'74LS00'"}, {"a''b", "'a''''b'"},
};

TEST(QuoteString, RoundTrips) {
    for (const Quoting& q : quotings) {
        EXPECT_EQ(quote_string(q.text), q.quoted);
        std::string back = "junk";
        unquote_string(back, q.quoted);
        EXPECT_EQ(back, q.text);
    }
}

TEST(UnquoteString, ShortInputGivesAnEmptyText) {
    std::string out = "junk";
    unquote_string(out, "'");
    EXPECT_EQ(out, "");
    out = "junk";
    unquote_string(out, "");
    EXPECT_EQ(out, "");
}

TEST(UnquoteString, ALoneQuoteIsKeptAndReported) {
    std::string seen;
    Services s;
    s.debug_write = [&](const char* text) { seen += text; };
    install_services(s);
    std::string out;
    unquote_string(out, "'a'b'");
    EXPECT_EQ(out, "a'b");
    EXPECT_EQ(seen, "ERROR!!!!!!\n");
    reset_services();
}

TEST(PadCenter, CutsOrCentres) {
    std::string t = "abc";
    EXPECT_EQ(pad_center(t, 8, 20, false), 8);
    EXPECT_EQ(t, "  abc   ");
    t = "abcdef";
    EXPECT_EQ(pad_center(t, 10, 4, false), 4);
    EXPECT_EQ(t, "abcd");
    t = "abc";
    EXPECT_EQ(pad_center(t, 8, 20, true), 3);
    EXPECT_EQ(t, "abc");
}

}  // namespace
