// The scanner's token stream over the compiler's test sources and over
// hostile bytes, summed up per input (token count and a hash of each
// token's code, line and value) and compared with a golden file. The
// scanner's tables are generated with an option that trades size for
// speed; whatever table option it is built with, the tokens must not
// change. Regenerate after an intended change of the scanner or the
// grammar's token codes with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "model/documents/compil_context.h"
#include "support/test_env.h"
// Generated from compil.y and compil.l.
#include "compil_parser.h"
#define YYSTYPE COMPILSTYPE
#include "compil_scanner.h"

namespace {

struct Hash {
    uint64_t value = 1469598103934665603ull;
    void add(const void* data, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            value ^= static_cast<const unsigned char*>(data)[i];
            value *= 1099511628211ull;
        }
    }
};

// "count hash" of the tokens of a text.
std::string token_summary(const std::string& text) {
    CompilContext ctx;
    ctx.text = text.data();
    ctx.text_left = text.size();
    yyscan_t scanner = nullptr;
    if (compillex_init_extra(&ctx, &scanner) != 0) return "no scanner";
    YY_BUFFER_STATE buffer = compil_create_buffer(nullptr, 16384, scanner);
    compil_switch_to_buffer(buffer, scanner);
    Hash hash;
    long count = 0;
    for (;;) {
        COMPILSTYPE value;
        std::memset(&value, 0, sizeof value);
        int token = compillex(&value, scanner);
        if (token == 0) break;
        ++count;
        hash.add(&token, sizeof token);
        hash.add(&ctx.line, sizeof ctx.line);
        if (token == CT_STRING)
            hash.add(value.str, std::strlen(value.str));
        else
            hash.add(&value, sizeof value);
    }
    compil_delete_buffer(buffer, scanner);
    compillex_destroy(scanner);
    char line[64];
    std::snprintf(line, sizeof line, "%ld %016llx", count,
                  static_cast<unsigned long long>(hash.value));
    return line;
}

// Inputs that walk the scanner's odd corners: bytes above 0x7F and NUL,
// numbers past their range, unterminated strings and comments, words that
// begin like keywords, long runs of one character.
std::vector<std::pair<std::string, std::string>> hostile_inputs() {
    using namespace std::string_literals;
    std::vector<std::pair<std::string, std::string>> inputs;
    std::string all_bytes;
    for (int c = 0; c < 256; ++c) all_bytes += static_cast<char>(c);
    inputs.emplace_back("all_bytes", all_bytes + all_bytes);
    inputs.emplace_back("numbers",
                        "0 -0 +12 2147483647 2147483648 -2147483649 0x 0xFFFFFFFF "
                        "0x100000000 1.5 .5e3 1e400 -1.e-400 3. 1e 0x1G\n");
    inputs.emplace_back("strings", "'' 'a''b' 'open\n'x\0y' '\xC3\xA9' ''''\n"s);
    inputs.emplace_back("comments", "/* a */ (LIB /* b\n c */ (PARTS /* open");
    // Every byte inside a comment and a string, and after a quote and a
    // NUL: a packed table once read past its end for "'", NUL, 0xFF.
    inputs.emplace_back("comment_bytes", "/* " + all_bytes + " */ (LIB /*" + all_bytes);
    inputs.emplace_back("string_bytes", "'" + all_bytes + "' (LIB '" + all_bytes);
    std::string after_nul;
    for (int c = 0; c < 256; ++c) after_nul += "'\0"s + static_cast<char>(c) + "\n";
    inputs.emplace_back("quote_nul_bytes", after_nul);
    inputs.emplace_back("prefixes",
                        "(LIBX (PARTSS LIBRARY (SHEETPATH SHEET (PIN PINS ROT_45 "
                        "ROT_4 NO_ROTX (TEXTLABEL\r\n\t");
    inputs.emplace_back("runs", std::string(40000, '(') + std::string(40000, ' ') +
                                    std::string(40000, '9') + "'" + std::string(40000, 'q') + "'");
    // Blanks of every kind after every kind of token, and a run of them
    // longer than the scanner's first buffer after a keyword and a number.
    inputs.emplace_back("blanks",
                        "(POS\t 1 \r-2\t)\r\n'a''b' \t0x1F\r 1.5\t.5e1 2e3 \r\r\n"
                        "IN\tINPUT OUT\rOUTPUTX = )) ( POS (LINE" +
                            std::string(20000, ' ') + "7" + std::string(20000, '\t') + "'s'" +
                            std::string(20000, '\r') + "\n");
    return inputs;
}

TEST(CompilTokens, TheTokenStreamOfEverySourceStaysPut) {
    std::string summary;
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(tn_test::data_path("model/documents")))
        if (entry.is_regular_file() && entry.path().extension() == ".asc")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 8u);
    std::string root = tn_test::data_path("");
    for (const auto& file : files)
        summary += file.string().substr(root.size()) + " " +
                   token_summary(tn_test::read_text(file.string())) + "\n";
    for (const auto& [name, text] : hostile_inputs())
        summary += name + " " + token_summary(text) + "\n";

    std::string golden = tn_test::data_path("model/documents/compil/tokens.txt");
    if (std::getenv("TN_UPDATE_GOLDEN")) tn_test::write_text(golden, summary);
    EXPECT_EQ(summary, tn_test::read_text(golden));
}

}  // namespace

// Token values are addresses into the compilation's text store: every text
// must stay as it was kept while thousands more (one longer than a block)
// are added after it.
TEST(CompilStrings, KeptTextsStayPutWhileMoreAreAdded) {
    CompilStrings strings;
    std::vector<std::pair<const char*, std::string>> kept;
    for (int i = 0; i < 20000; ++i) {
        std::string text =
            i == 7000 ? std::string(200000, 'L') : std::string(i % 37, char('a' + i % 26));
        kept.emplace_back(strings.keep(text), text);
    }
    char* room = strings.room(5);
    std::memcpy(room, "ab", 2);
    kept.emplace_back(strings.keep(2), "ab");
    for (const auto& [at, text] : kept) ASSERT_EQ(std::string(at), text);
}
