// The record a set of files leaves while it replaces them: every record
// the program writes reads back as it was, whatever the numbers a file
// system gives its files, and a record of another form is never misread.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/safe_replace.h"
#include "support/test_env.h"

namespace {

// Numbers as an overlay file system gives them: devices and inodes of all
// 64 bits, times before 1970.
SetRecord overlay_record() {
    SetRecord record;
    record.owner = {"back-annotation", "38 bytes, hash 00c0ffee00c0ffee"};
    SetMember m;
    m.target = "/home/user/proj/root.sch";
    m.backup = "/home/user/proj/root.BAK";
    m.was = {true, 2049, 9223372036866253043ull, 1234, 1767225600, 999999999};
    record.members.push_back(m);
    m.target = "/home/user/proj with blanks/sub\nsheet.sch";
    m.backup = "";
    m.was = {true, UINT64_MAX, UINT64_MAX, UINT64_MAX, INT64_MIN, 0};
    record.members.push_back(m);
    m.target = "/home/user/lib/new.sch";
    m.was = {false, 0, 0, 0, -1, INT64_MAX};
    record.members.push_back(m);
    return record;
}

TEST(SetRecord, EveryRecordWrittenReadsBackAsItWas) {
    const SetRecord record = overlay_record();
    std::string text = set_record_text(record);
    std::vector<unsigned char> bytes(text.begin(), text.end());
    tn_test::expect_golden("platform/overlay.rec", bytes);
    SetRecord read;
    ASSERT_EQ(parse_set_record(text, &read), RecordRead::READ) << text;
    EXPECT_EQ(read, record);
    EXPECT_EQ(set_record_text(read), text);
    SetRecord empty;
    text = set_record_text(empty);
    tn_test::expect_golden("platform/empty.rec",
                           std::vector<unsigned char>(text.begin(), text.end()));
    ASSERT_EQ(parse_set_record(text, &read), RecordRead::READ);
    EXPECT_EQ(read, empty);
}

TEST(SetRecord, ARecordOfAnotherFormIsNeverRead) {
    const std::string good = set_record_text(overlay_record());
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    SetRecord read;
    // What an older version wrote: no owner, numbers read as signed ones.
    EXPECT_EQ(parse_set_record("tessaron file set 1\n1\n4 /a/b\n0 \n1 1 2 3 4 5\nend\n", &read),
              RecordRead::OTHER_VERSION);
    EXPECT_EQ(parse_set_record(edited("file set 2\n", "file set 3\n"), &read),
              RecordRead::OTHER_VERSION);
    const std::vector<std::string> damaged = {
        "",
        "tessaron file set 2",
        "tessaron file set two\n",
        good.substr(0, good.size() - 1),
        good + "x",
        edited("18446744073709551615", "18446744073709551616"),  // past 64 bits
        edited("9223372036866253043", "-9223372036866253043"),   // a signed inode
        edited("-9223372036854775808", "-9223372036854775809"),  // past a signed time
        edited("1 2049", "2 2049"),
        edited("\n3\n", "\n4\n"),
        edited("\n3\n", "\n99999999999999999999\n"),
        edited("24 /home/user/proj/root.sch", "99 /home/user/proj/root.sch"),
    };
    for (const std::string& text : damaged) {
        EXPECT_EQ(parse_set_record(text, &read), RecordRead::DAMAGED) << text;
        EXPECT_EQ(read, SetRecord{}) << "nothing of a damaged record is kept";
    }
}

}  // namespace
