#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/services.h"

namespace {

struct Texts {
    int code;
    const char* kind1;
    const char* kind2;  // with the argument "F.SCH" (or none when the detail takes none)
};

std::ostream& operator<<(std::ostream& os, const Texts& t) { return os << "code " << t.code; }

const Texts texts[] = {
    {51, "No such file ", "No such file \n(File F.SCH)"},
    {0, "No error", "No error"},
    {-1, "Generic error.", "Generic error."},
    {12345, "Unknow Index!!", "Unknow Index!!"},
    {74, "Indirect reference to a NULL Vector.\n", "Indirect reference to a NULL Vector.\n"},
    {77, "Indirect reference makes a loop.\n", "Indirect reference makes a loop.\nInternal Error."},
    {52, "Bad record in config ", "Bad record in config \n(Value 0x f)"},
    {61, "Bad record in configuration", "Bad record in configuration\n(Record 0xff)"},
    {20006, "", "File F.SCH Exists.\nOverwrite?"},
    {30000, "", "Sheet F.SCH\nThere is unsaved edits.\nAbandon them?"},
    {50002, "Deleteting this name will Delete the Part",
     "Deleteting this name will Delete the Part\nOk to Continue ?"},
    {50006, "Some Pins are not on the body\n. Ok to lose them ?",
     "Some Pins are not on the body\n. Ok to lose them ?"},
    {60022, "This image file has been modified\nOk to save it ?\n",
     "This image file has been modified\nOk to save it ?\nF.SCH"},
    {1001, "", ""},
};

class ErrorTexts : public testing::TestWithParam<Texts> {};

const char* format(int kind, int code) {
    static char buffer[ERROR_MESSAGE_SIZE];
    const char* detail = error_find(code)->detail;
    if (std::string(detail).find("%s") != std::string::npos)
        return error_message_v(kind, RuntimeCode{code}, buffer, sizeof buffer, "F.SCH");
    return error_message_v(kind, RuntimeCode{code}, buffer, sizeof buffer, code == 52 ? 15 : 255);
}

TEST_P(ErrorTexts, KindOneIsTheMessageAloneKindTwoAddsTheDetail) {
    const Texts& t = GetParam();
    EXPECT_STREQ(format(MESSAGE_ONLY, t.code), t.kind1);
    EXPECT_STREQ(format(MESSAGE_WITH_DETAIL, t.code), t.kind2);
}

INSTANTIATE_TEST_SUITE_P(Rows, ErrorTexts, testing::ValuesIn(texts));

TEST(ErrorTable, SearchedCodesAreUniqueAndTheFallbackIsNeverFound) {
    std::set<int> seen;
    for (int i = 1; i < error_table_rows; ++i) {
        EXPECT_TRUE(seen.insert(error_table[i].code).second) << error_table[i].code;
        EXPECT_EQ(error_find(error_table[i].code), &error_table[i]);
    }
    EXPECT_EQ(error_table_rows, 104);
    EXPECT_STREQ(error_find(0)->message, "No error");
}

TEST(ErrorMessage, SharedBufferIsReusedAndFreed) {
    const char* first = error_message_v(MESSAGE_WITH_DETAIL, 63, nullptr, 0, "TTL");
    EXPECT_STREQ(first, "Library not Found.\n(Lib TTL)");
    const char* second = error_message_v(MESSAGE_ONLY, 62, nullptr, 0, "TTL");
    EXPECT_EQ(first, second);
    EXPECT_STREQ(second, "Library already Exist.");
    error_message_free();
    EXPECT_STREQ(error_message_v(MESSAGE_ONLY, 9, nullptr, 0), "No memory");
    error_message_free();
}

TEST(ErrorMessage, LongArgumentsAreCutNeverOverflow) {
    std::string huge(5000, 'p');
    char small[32];
    error_message_v(MESSAGE_WITH_DETAIL, 1, small, sizeof small, huge.c_str());
    EXPECT_EQ(std::string(small), std::string("Cannot open file for reading\n(F"));
    char tiny[8];
    error_message_v(MESSAGE_WITH_DETAIL, 1, tiny, sizeof tiny, huge.c_str());
    EXPECT_STREQ(tiny, "Cannot ");
    set_message_formatter(error_message);
    EXPECT_EQ(message_text(nullptr, 1, huge.c_str()).size(), ERROR_MESSAGE_SIZE - 1);
    set_message_formatter(nullptr);
}

// Records what the boxes show.
struct BoxLog {
    std::vector<std::string> events;
    int style = 0;
};

class Boxes : public testing::Test {
protected:
    void SetUp() override {
        reset_services();
        Services s;
        s.message_box = [this](const char* text, const char* caption, int style) {
            log.events.push_back(std::string("box ") + caption + ": " + text);
            log.style = style;
            return headless_services().message_box(text, caption, style);
        };
        install_services(s);
        set_message_formatter(error_message);
        set_box_hooks([this] { log.events.push_back("before"); },
                      [this] { log.events.push_back("after"); });
    }
    void TearDown() override {
        set_box_hooks(nullptr, nullptr);
        set_message_formatter(nullptr);
        reset_services();
    }
    BoxLog log;
};

TEST_F(Boxes, ErrorBoxAddsOkAndDefaultsItsCaption) {
    error_box(nullptr, nullptr, MB_ICON_INFORMATION, 83);
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"before", "box Error: Invalid Label!", "after"}));
    EXPECT_EQ(log.style, 257);
    error_box(nullptr, "Load", MB_ICON_STOP, 10, "74LS00");
    EXPECT_EQ(log.events[4], "box Load: Part not found\n(Module 74LS00)");
    EXPECT_EQ(log.style, 65);
}

TEST_F(Boxes, WarningBoxIsTrueOnlyForOk) {
    script_answers({ANSWER_OK, ANSWER_CANCEL});
    EXPECT_TRUE(warning_box(nullptr, 40008));
    EXPECT_EQ(log.style, 37);
    EXPECT_EQ(log.events[1], "box Warning: You are trying to stack some pins.\nOk to Continue ?");
    EXPECT_FALSE(warning_box(nullptr, 40008));
}

TEST_F(Boxes, ConfirmBoxIsTrueOnlyForYes) {
    script_answers({ANSWER_YES, ANSWER_NO, ANSWER_CANCEL});
    EXPECT_TRUE(confirm_box(nullptr, nullptr, 20001));
    EXPECT_EQ(log.style, 130);
    EXPECT_EQ(log.events[1], "box Please Confirm: Are you sure you want to Quit?");
    EXPECT_FALSE(confirm_box(nullptr, "Save", 54, "A.SCH"));
    EXPECT_EQ(log.events[4], "box Save: File exist. Overwrite ?\n(File A.SCH)");
    EXPECT_FALSE(confirm_box(nullptr, nullptr, 20001));
}

TEST_F(Boxes, ConfirmCancelBoxReturnsTheAnswer) {
    script_answers({ANSWER_YES, ANSWER_NO, ANSWER_CANCEL});
    EXPECT_EQ(confirm_cancel_box(nullptr, 30000, "S1"), ANSWER_YES);
    EXPECT_EQ(log.style, 134);
    EXPECT_EQ(log.events[1],
              "box Please Confirm: Sheet S1\nThere is unsaved edits.\nAbandon them?");
    EXPECT_EQ(confirm_cancel_box(nullptr, 30000, "S1"), ANSWER_NO);
    EXPECT_EQ(confirm_cancel_box(nullptr, 30000, "S1"), ANSWER_CANCEL);
}

TEST_F(Boxes, DefaultFormatterKnowsNoTable) {
    set_message_formatter(nullptr);
    error_box(nullptr, nullptr, 0, 51, "X");
    EXPECT_EQ(log.events[1], "box Error: Unknow error code.(Code 51)");
    EXPECT_EQ(message_text(nullptr, 72), "Unknow error code.(Code 72)");
}

// A constant code is checked against its arguments where the call is
// compiled (a call that does not match does not build); these are the
// answers the check gives.
static_assert(message_takes(40002, "sss", 3));
static_assert(!message_takes(40002, "s", 1));
static_assert(!message_takes(51, "", 0) && !message_takes(51, "d", 1));
static_assert(message_takes(52, "d", 1) && !message_takes(52, "s", 1));
static_assert(message_takes(50008, "ss", 2) && !message_takes(50008, "sss", 3));
static_assert(message_takes(72, "", 0) && message_takes(12345, "", 0));

// Every message: its detail takes only texts and numbers, and filled with
// arguments of its kinds it shows each text given and keeps no conversion.
TEST(ErrorTable, EveryDetailIsFilledFromArgumentsOfItsOwnKinds) {
    for (int i = 1; i < error_table_rows; ++i) {
        const ErrorEntry& row = error_table[i];
        const DetailArgs wanted = detail_args(row.detail);
        ASSERT_TRUE(wanted.fit) << row.code;
        static const char* const texts[] = {"T0", "T1", "T2", "T3", "T4"};
        std::vector<MessageArg> args;
        for (int k = 0; k < wanted.count; ++k) {
            if (wanted.kinds[k] == 's')
                args.emplace_back(texts[k]);
            else
                args.emplace_back(7);
        }
        char buffer[ERROR_MESSAGE_SIZE];
        std::string text =
            error_message(MESSAGE_WITH_DETAIL, row.code, buffer, sizeof buffer, args);
        EXPECT_EQ(text.rfind(row.message, 0), 0u) << row.code;
        for (int k = 0; k < wanted.count; ++k) {
            if (wanted.kinds[k] == 's') {
                EXPECT_NE(text.find(texts[k]), std::string::npos) << row.code;
            }
        }
        EXPECT_EQ(text.find('%', std::strlen(row.message)), std::string::npos) << row.code;
    }
}

// A code known only at run time: a detail whose arguments were not all
// given shows the message alone, reading nothing that was not passed;
// arguments beyond what the detail takes are left unused.
TEST(ErrorMessage, ARuntimeCodeFillsItsDetailOnlyFromArgumentsThatCoverIt) {
    char buffer[ERROR_MESSAGE_SIZE];
    EXPECT_STREQ(
        error_message_v(MESSAGE_WITH_DETAIL, RuntimeCode{40002}, buffer, sizeof buffer, "out.cir"),
        "Pin not connected generating\n");
    EXPECT_STREQ(error_message_v(MESSAGE_WITH_DETAIL, RuntimeCode{40002}, buffer, sizeof buffer,
                                 "out.cir", "R1", "2"),
                 "Pin not connected generating\nout.cir  (Module=R1, Pin=2)");
    EXPECT_STREQ(error_message_v(MESSAGE_WITH_DETAIL, RuntimeCode{51}, buffer, sizeof buffer, 3),
                 "No such file ");
    EXPECT_STREQ(
        error_message_v(MESSAGE_WITH_DETAIL, RuntimeCode{50105}, buffer, sizeof buffer, "root.erc"),
        "Some sheets are not (or partialy) Annoted\n(Look at Log File)");
    EXPECT_STREQ(error_message_v(MESSAGE_WITH_DETAIL, RuntimeCode{61}, buffer, sizeof buffer, -1),
                 "Bad record in configuration\n(Record 0xffffffff)");
    const char* none = nullptr;
    EXPECT_STREQ(error_message_v(MESSAGE_WITH_DETAIL, 84, buffer, sizeof buffer, none),
                 "Invalid File Name:\n");
}

TEST(MessageText, NewlinesBecomeBlanks) {
    set_message_formatter(error_message);
    EXPECT_EQ(message_text(nullptr, 74), "Indirect reference to a NULL Vector. ");
    EXPECT_EQ(message_text(nullptr, 78, "U1", "3", "4"), "Pins not found (Part U1, Pins 3 & 4)");
    set_message_formatter(nullptr);
}

TEST(Warning, GoesToTheDebugOutputWithItsPrefix) {
    std::string seen;
    Services s;
    s.debug_write = [&](const char* text) { seen += text; };
    install_services(s);
    warning("net %d", 3);
    EXPECT_EQ(seen, "*** Warning *** net 3\n");
    seen.clear();
    progress_start(0, 99);
    progress_step(5, 0);
    progress_step(6, 0);
    progress_step(11, 0);
    progress_end();
    EXPECT_EQ(seen, " 0%, \b\\\b/\b 10%, \b 100%\n");
    reset_services();
}

TEST(FatalPaths, FatalWritesTheTextAndExitsWithOne) {
    EXPECT_EXIT(fatal("cannot go on: %s", "net file"), testing::ExitedWithCode(1),
                "cannot go on: net file");
}

}  // namespace
