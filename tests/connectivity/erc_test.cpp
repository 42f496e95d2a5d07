// The electrical rule check over nets given as heads and member chains:
// every class pair of the default matrix that gives a finding (golden
// report), the order of pairs, marks and their numbers, unconnected
// members, the final report's port findings, and reading a finding back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "connectivity/erc.h"
#include "connectivity/net_context.h"
#include "connectivity/project_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/erc_mark.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/pin.h"

namespace {

using namespace project_test;

class ErcTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        schema_.reset(compile_sheet(sheet({part("ALL", "U1", "all")})));
        ASSERT_TRUE(schema_);
        part_ = as_PlacedPart(list_first_part(schema_->sheet->items));
        for (Pin* pin : list_items<Pin>(pl_pins_in_use(schema_->library, part_)->pins))
            pins_.push_back(pin);
        box_ = new_SubSheet();
        box_->sheet_name.set("SUB");
        dlist_append(schema_->sheet->items, box_);
        islands_ = list_new();
        context_ = new_NetContext();
        context_->islands = islands_;
        erc_error_number = 1;
        erc_found_errors = false;
    }
    void TearDown() override {
        for (SchItem* item : owned_) free_SchItem(schema_.get(), item, false);
        for (Ident* net : list_items<Ident>(islands_)) free_Ident(net, false);
        slist_free(islands_, nullptr);
        context_->islands = nullptr;
        free_NetContext(nullptr, context_);
        free_SchItem_list(schema_.get(), &marks_);
        schema_.reset();
        ProjectTest::TearDown();
    }

    // A member of class c (0..15), a no-connect mark (-2) or a power symbol (-3).
    PseudoPin* member(int c, const char* port_name = "P", Point pos = {}) {
        PseudoPin* m = new_PseudoPin();
        m->pos = pos;
        if (c >= 0 && c <= 7) {
            m->father = part_;
            m->pin = pins_[static_cast<size_t>(c)];
        } else if (c >= 8 && c <= 15) {
            Port* port = new_Port();
            port->name.set(port_name);
            static const uint8_t directions[4] = {PORT_INPUT, PORT_OUTPUT, PORT_BIDIR, PORT_UNSPEC};
            port->flags = directions[(c - 8) % 4];
            owned_.push_back(port);
            m->whoami = port;
            if (c >= 12) m->father = box_;
        } else if (c == -2) {
            m->whoami = new_NoCon();
            owned_.push_back(m->whoami);
        } else {
            Power* power = new_Power();
            power->name.set("VCC");
            owned_.push_back(power);
            m->whoami = power;
        }
        owned_.push_back(m);
        return m;
    }
    Ident* net(const std::vector<PseudoPin*>& members, const char* name = nullptr) {
        Ident* head = new_Ident();
        if (name) ident_add_name(head, NAME_LABEL, name);
        SchItem* last = head;
        for (PseudoPin* m : members) {
            if (last == head)
                head->nextconn = m;
            else
                last->next = m;
            m->prev = last;
            last = m;
        }
        slist_append(islands_, head);
        return head;
    }
    std::string check() {
        return tn_test::text_written(
            [&](FILE* out) { EXPECT_EQ(erc_sheet(context_, schema_.get(), out, &marks_), 0); });
    }
    std::string final_report() {
        return tn_test::text_written([&](FILE* out) { erc_final_report(context_, out); });
    }
    std::vector<int> mark_numbers() const {
        std::vector<int> numbers;
        for (ErcMark* mark : list_items<ErcMark>(marks_)) numbers.push_back(mark->number);
        return numbers;
    }

    struct SchemaFree {
        void operator()(Schema* s) const { free_Schema(s, false); }
    };
    std::unique_ptr<Schema, SchemaFree> schema_;
    PlacedPart* part_ = nullptr;
    std::vector<Pin*> pins_;
    SubSheet* box_ = nullptr;
    List* islands_ = nullptr;
    NetContext* context_ = nullptr;
    List* marks_ = nullptr;
    std::vector<SchItem*> owned_;
};

// Regenerate with TN_UPDATE_GOLDEN=1 and review the diff of the data folder.
TEST_F(ErcTest, EveryClassPairOfTheDefaultMatrixThatGivesAFinding) {
    int findings = 0;
    for (int c1 = 0; c1 < 16; ++c1)
        for (int c2 = 0; c2 < 16; ++c2)
            if (erc_severity(c1, c2) != 0) {
                net({member(c1, "A", {c1, c2}), member(c2, "B")});
                ++findings;
            }
    ASSERT_GT(findings, 0);
    std::string report = check();
    tn_test::expect_golden("connectivity/erc_pairs.txt",
                           std::vector<unsigned char>(report.begin(), report.end()));
    EXPECT_TRUE(erc_found_errors);
    EXPECT_EQ(erc_error_number, findings + 1);
    ASSERT_EQ(mark_numbers().size(), static_cast<size_t>(findings));
    // Two outputs: an error numbered as its finding, marked at the earlier point.
    EXPECT_NE(report.find("ERROR   [000"), std::string::npos);
    EXPECT_EQ(proper_get(ERC_TABLE, 2 * 17 + 2), 2);
}

TEST_F(ErcTest, PairsGoInChainOrderWithTheEarlierMemberAsTheRow) {
    proper_set(ERC_TABLE, 0 * 17 + 2, 1, ERC_TABLE, 2 * 17 + 0, 0, ERC_TABLE, 2 * 17 + 2, 2,
               ERC_TABLE, 0 * 17 + 0, 0, 0);
    erc_error_number = 2;
    // output, input, output: (1,2) none (row output), (1,3) error, (2,3) warning.
    net({member(ERC_OUTPUT_PIN, "", {1, 1}), member(ERC_INPUT_PIN, "", {2, 2}),
         member(ERC_OUTPUT_PIN, "", {3, 3})});
    std::string report = check();
    EXPECT_NE(report.find("\nERROR   [00002]: Output Pin  Connected to  Output Pin\n"
                          "      Pin (OUTPUT) #'3' Name 'O' Part 'U1'\n"
                          "      Pin (OUTPUT) #'3' Name 'O' Part 'U1'\n"
                          "\nWARNING [10003]: Input Pin  Connected to  Output Pin\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(mark_numbers(), (std::vector<int>{2, 10003}));
    ErcMark* first = static_cast<ErcMark*>(marks_->head->data);
    EXPECT_EQ(first->pos, (Point{1, 1}));
}

TEST_F(ErcTest, LoneMembersAreListedUnlessTheNetIsMarkedOrABusMember) {
    net({member(ERC_INPUT_PIN)});               // listed
    net({member(ERC_OUTPUT_PIN), member(-2)});  // no-connect mark: nothing
    net({member(ERC_IO_PIN)}, "@DATA//3");      // bus member net: nothing
    net({member(ERC_INPUT_PORT, "D[0..7]")});   // its member nets exist: nothing
    net({member(ERC_INPUT_PORT, "Q[0..3]")});   // no member net: listed
    net({member(ERC_INPUT_PIN)}, "D5");
    net({member(-3)});  // a power symbol alone
    std::string report = check();
    EXPECT_EQ(report.substr(report.find("Unconnected Pins :")),
              "Unconnected Pins :\n------------------\n\n"
              "      Pin (INPUT) #'1' Name 'I' Part 'U1'\n"
              "      Port 'Q[0..3]'\n"
              "      Pin (INPUT) #'1' Name 'I' Part 'U1'\n"
              "      Power 'VCC'\n\n\n");
    EXPECT_TRUE(erc_found_errors);
    EXPECT_TRUE(mark_numbers().empty());
}

TEST_F(ErcTest, MemberLinesDescribeEveryKindOfMember) {
    net({member(ERC_POWER_PIN), member(ERC_OUTPUT_SHEET, "Q"), member(ERC_UNSPEC_PORT, "X")});
    proper_set(ERC_TABLE, 7 * 17 + 13, 1, ERC_TABLE, 7 * 17 + 11, 0, ERC_TABLE, 13 * 17 + 11, 0, 0);
    std::string report = check();
    EXPECT_NE(report.find("WARNING [10001]: Power Pin  Connected to  Output Sheet\n"
                          "      Pin (POWER) Name 'V' Part 'U1'\n"
                          "      Sheet SUB, Port Q\n"),
              std::string::npos)
        << report;
}

TEST_F(ErcTest, WithoutAnIslandsListTheCheckFails) {
    NetContext* empty = new_NetContext();
    EXPECT_EQ(erc_sheet(empty, schema_.get(), stdout, &marks_), 76);
    free_NetContext(nullptr, empty);
}

TEST_F(ErcTest, TheFinalReportJudgesModulePorts) {
    net({member(ERC_INPUT_PORT, "IN")}, "IN");
    net({member(ERC_OUTPUT_PORT, "O1"), member(ERC_OUTPUT_PORT, "O2")}, "OUTS");
    net({member(ERC_OUTPUT_PORT, "Y"), member(ERC_INPUT_PIN)});  // unnamed
    net({member(ERC_INPUT_PORT, "A"), member(ERC_OUTPUT_PORT, "B")}, "OK");
    net({member(ERC_INPUT_SHEET, "S"), member(ERC_OUTPUT_PORT, "Z")}, "SHEET");
    proper_set(ERC_TABLE, 16 * 17 + 9, 1, ERC_TABLE, 9 * 17 + 9, 2, 0);
    std::string text = final_report();
    EXPECT_EQ(
        text,
        "\n\n\n===========================================\n\nFinal Report\n------------\n\n\n" +
            std::string(erc_severity(16, 8) == 1 ? "WARNING" : "ERROR") +
            " : Net 'IN' -  Input Port(s) without Output\n"
            "ERROR : Net 'OUTS' -  More than one Output Port\n"
            "ERROR : Net 'OUTS' -  More than one Output Port\n" +
            std::string(erc_severity(16, 8) == 2 ? "ERROR" : "WARNING") +
            " : Net 'N00000' -  Output Port Unconnected\n")
        << text;
}

TEST_F(ErcTest, FindingsAreReadBackWhateverTheLineEnds) {
    for (const char* end : {"\n", "\r\n", "\r"}) {
        std::string text = std::string("Tessaron ERC Report") + end + end + "ERROR   [00001]: x" +
                           end + "      one" + end + "      two" + end + end +
                           "WARNING [10002]: y" + end + "      three" + end + "      four" + end;
        tn_test::write_text(file("r.erc"), text);
        copy_field(schema_->erc_report, sizeof schema_->erc_report, file("r.erc").c_str());
        ASSERT_TRUE(erc_mark_details(schema_.get(), 10002));
        EXPECT_EQ(erc_mark_detail_line(0), "      three");
        EXPECT_EQ(erc_mark_detail_line(1), "      four");
        ASSERT_TRUE(erc_mark_details(schema_.get(), 1));
        EXPECT_EQ(erc_mark_detail_line(0), "      one");
        EXPECT_FALSE(erc_mark_details(schema_.get(), 3));
    }
    // A finding at the very end without its lines, and a missing report.
    tn_test::write_text(file("r.erc"), "[00004]" + std::string(100000, 'x'));
    EXPECT_TRUE(erc_mark_details(schema_.get(), 4));
    EXPECT_EQ(erc_mark_detail_line(0), "");
    copy_field(schema_->erc_report, sizeof schema_->erc_report, file("none.erc").c_str());
    EXPECT_FALSE(erc_mark_details(schema_.get(), 4));
}

}  // namespace
