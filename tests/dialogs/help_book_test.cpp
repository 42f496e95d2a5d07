// The help book against the code: every help context the program passes to
// show_help has a page in the book's contents, and every page the contents
// name is in the book.
//
// The contexts come from the tables that hold them (the process dialogs,
// the tabbed dialogs, the editing modes) and from the sources: a number
// passed to show_help, a number on a line that names a help context, and
// the pairs of a table of help buttons. A dialog added with a new context
// fails here until its page is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "dialogs/forms/prefs_pages.h"
#include "dialogs/forms/process_forms.h"
#include "shell/shell_ops.h"
#include "support/test_env.h"
#include "toolkit/res_dialogs.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Where each context is used: "src/dialogs/x.cpp:12" or the table's name.
using Uses = std::map<long, std::string>;

void use(Uses* uses, long context, const std::string& where) {
    // The contents and the search need no page of their own.
    if (context == 0 || context == 600000 || context == 600001) return;
    uses->emplace(context, where);
}

// The contexts written in the sources under a folder.
void scan_sources(const fs::path& folder, Uses* uses) {
    const std::regex call(R"(show_help\s*\([^;]*,\s*(\d+)\s*\))");
    const std::regex number(R"((^|[^0-9xX.])(\d{3,4})(?![0-9.]))");
    const std::regex pair(R"(\{\s*20\d{3}\s*,\s*(\d+)\s*\})");
    const std::regex names_help(R"(help|context)", std::regex::icase);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        std::ifstream in(entry.path());
        std::string line;
        int at = 0;
        bool help_table = false;  // inside the braces of a table of help buttons
        const std::string file = fs::relative(entry.path(), folder.parent_path());
        while (std::getline(in, line)) {
            ++at;
            line = line.substr(0, line.find("//"));  // the code, not its comment
            const std::string where = file + ":" + std::to_string(at);
            std::smatch m;
            for (auto it = std::sregex_iterator(line.begin(), line.end(), call);
                 it != std::sregex_iterator(); ++it)
                use(uses, std::stol((*it)[1]), where);
            const bool names = std::regex_search(line, names_help);
            if (names && line.find('=') != std::string::npos && line.find('{') != std::string::npos)
                help_table = true;
            if (help_table)
                for (auto it = std::sregex_iterator(line.begin(), line.end(), pair);
                     it != std::sregex_iterator(); ++it)
                    use(uses, std::stol((*it)[1]), where);
            if (help_table && line.find("};") != std::string::npos) help_table = false;
            // A line that names a help context: its numbers in the range of
            // the contexts (300 .. 2099).
            if (names)
                for (auto it = std::sregex_iterator(line.begin(), line.end(), number);
                     it != std::sregex_iterator(); ++it) {
                    const long n = std::stol((*it)[2]);
                    if (n >= 300 && n < 2100) use(uses, n, where);
                }
        }
    }
}

// The contexts the book's contents map to pages, and those pages.
std::map<long, std::string> book_contexts(std::set<std::string>* pages) {
    const std::string hhc = read_file(fs::path(TN_HELP_DIR) / "Tessaron.hhc");
    const std::regex object(
        R"re(<object[^>]*>\s*<param name="Name" value="[^"]*">\s*<param name="Local" value="([^"#]+)[^"]*">(\s*<param name="ID" value=(\d+)>)?)re");
    std::map<long, std::string> contexts;
    for (auto it = std::sregex_iterator(hhc.begin(), hhc.end(), object);
         it != std::sregex_iterator(); ++it) {
        pages->insert((*it)[1]);
        if ((*it)[3].matched) contexts[std::stol((*it)[3])] = (*it)[1];
    }
    return contexts;
}

TEST(HelpBook, EveryContextTheProgramUsesHasAPage) {
    Uses uses;
    for (const ProcessDialog& d : process_dialogs) use(&uses, d.help_context, d.window_name);
    for (int page = 0; page < PREFS_PAGE_COUNT; ++page)
        use(&uses, prefs_page_help(page), "the Preferences pages");
    use(&uses, LOAD_PART_HELP, "the Load Part sheet");
    for (const ResDialog& row : res_dialogs)
        for (int page = 0; page < row.page_count; ++page)
            use(&uses, row.pages[page].help_context, row.template_name);
    for (long context : mode_help_contexts()) use(&uses, context, "the editing modes' pages");
    scan_sources(TN_SOURCE_DIR, &uses);
    ASSERT_GT(uses.size(), 50u) << "the scan found too few contexts to be trusted";

    std::set<std::string> pages;
    const std::map<long, std::string> book = book_contexts(&pages);
    for (const auto& [context, where] : uses)
        EXPECT_TRUE(book.count(context))
            << "help context " << context << " (used in " << where
            << ") has no page: write one in resources/help and give it the entry "
               "<param name=\"ID\" value="
            << context << "> in resources/help/Tessaron.hhc";
}

// The ways the sources name contexts, each found.
TEST(HelpBook, TheScanFindsContextsWrittenEveryWay) {
    tn_test::TempDir dir;
    const fs::path src = dir.path() / "src";
    fs::create_directories(src);
    tn_test::write_text((src / "a.cpp").string(),
                        "void f() { show_help(help_file, 675); }\n"
                        "constexpr long TEXT_HELP_CONTEXT = 695;\n"
                        "const HelpButton help_buttons[] = {\n"
                        "    {20046, 1215},\n"
                        "    {20047, 505},\n"
                        "};\n"
                        "    {20048, 9999},\n"
                        "if (paint_zone) context = kind == CANVAS_LIBRARY ? 525 : 960;\n"
                        "int width = 1000;  // no context here\n"
                        "show_help(help_file, 600001);\n");
    Uses uses;
    scan_sources(src, &uses);
    std::set<long> found;
    for (const auto& [context, where] : uses) found.insert(context);
    EXPECT_EQ(found, (std::set<long>{505, 525, 675, 695, 960, 1215}));
    EXPECT_EQ(uses[675], "src/a.cpp:1");
}

TEST(HelpBook, EveryPageNamedIsInTheBook) {
    std::set<std::string> pages;
    book_contexts(&pages);
    ASSERT_FALSE(pages.empty());
    const std::string hhp = read_file(fs::path(TN_HELP_DIR) / "Tessaron.hhp");
    const std::string index = read_file(fs::path(TN_HELP_DIR) / "Tessaron.hhk");
    for (const std::string& page : pages) {
        EXPECT_TRUE(fs::exists(fs::path(TN_HELP_DIR) / page)) << page << " is missing";
        EXPECT_NE(hhp.find("\n" + page + "\n"), std::string::npos)
            << page << " is not in the [FILES] of Tessaron.hhp";
        EXPECT_NE(index.find("\"" + page + "\""), std::string::npos)
            << page << " is not in the index";
        // A page names itself: its title is what the help window shows.
        const std::string text = read_file(fs::path(TN_HELP_DIR) / page);
        EXPECT_NE(text.find("<title>"), std::string::npos) << page << " has no title";
    }
}

}  // namespace
