// The plain form of a dialog without a window: each binding's trip from
// the properties into the values and back, and the number a text stands for.
#include "dialogs/forms/form.h"

#include <gtest/gtest.h>

#include <climits>

#include "foundation/config_fixture.h"
#include "foundation/properties.h"

namespace {

enum : int { F_CHECK = 1, F_INVERTED, F_TEXT, F_NUMBER, F_NAME, F_CHOICE, F_LIST };

Form sample_form() {
    return Form({
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::CHECK,
         .field = F_CHECK,
         .label = "Verbose Mode",
         .bind = Bind::FLAG,
         .property = BOM_VERBOSE},
        {.kind = RowKind::CHECK,
         .field = F_INVERTED,
         .label = "Descend Hierarchy",
         .bind = Bind::FLAG_INVERTED,
         .property = BOM_HIER},
        {.kind = RowKind::TEXT,
         .field = F_TEXT,
         .label = "Merge File:",
         .bind = Bind::TEXT,
         .property = BOM_MERGEFILE,
         .sample = "0123"},
        {.kind = RowKind::TEXT,
         .field = F_NUMBER,
         .label = "Page Width:",
         .bind = Bind::NUMBER,
         .property = BOM_WIDTH},
        {.kind = RowKind::TEXT,
         .field = F_NAME,
         .label = "Output File:",
         .bind = Bind::PROPOSED_NAME,
         .property = BOM_OUTFILE,
         .extra = EXT_BOM},
        {.kind = RowKind::CHOICE,
         .field = F_CHOICE,
         .label = "Module:",
         .bind = Bind::INDEX,
         .property = NETFMT_FIELD,
         .extra = 1,
         .sample = "a\nb\nc"},
        {.kind = RowKind::LIST, .field = F_LIST, .label = "Fields:"},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Execute", .client = 20068},
    });
}

class FormTest : public ConfigTest {};

TEST_F(FormTest, EachBindingLoadsFromItsPropertyAndStoresBack) {
    proper_set(BOM_VERBOSE, 1, BOM_HIER, 1, BOM_MERGEFILE, "merge.asc", BOM_WIDTH, 132,
               NETFMT_FIELD, 3, EXT_BOM, ".bom,.BOM", 0);
    Form form = sample_form();
    // Before loading: texts show their samples, choices their entries with none chosen.
    EXPECT_EQ(form.text(F_TEXT), "0123");
    EXPECT_EQ(form.number(F_CHOICE), -1);
    EXPECT_EQ(form.value(F_CHOICE).entries, (std::vector<std::string>{"a", "b", "c"}));

    form.load({true, "/project/root.sch"});
    EXPECT_EQ(form.number(F_CHECK), 1);
    EXPECT_EQ(form.number(F_INVERTED), 0);  // HIER 1: stays on the sheet
    EXPECT_EQ(form.text(F_TEXT), "merge.asc");
    EXPECT_EQ(form.text(F_NUMBER), "132");
    EXPECT_EQ(form.text(F_NAME), "/project/root.bom");  // first suffix of the list
    EXPECT_EQ(form.number(F_CHOICE), 2);

    form.set_number(F_CHECK, 0);
    form.set_number(F_INVERTED, 1);
    form.set_text(F_TEXT, "other.asc");
    form.set_text(F_NUMBER, " -40 lines");
    form.set_text(F_NAME, "typed.bom");
    form.set_number(F_CHOICE, 0);
    form.store();
    EXPECT_EQ(proper_get(BOM_VERBOSE), 0);
    EXPECT_EQ(proper_get(BOM_HIER), 0);
    EXPECT_STREQ(strproper_get(BOM_MERGEFILE), "other.asc");
    EXPECT_EQ(proper_get(BOM_WIDTH), -40);
    EXPECT_STREQ(strproper_get(BOM_OUTFILE), "typed.bom");
    EXPECT_EQ(proper_get(NETFMT_FIELD), 1);
}

TEST_F(FormTest, ProposedNameFollowsTheDocumentAndAChoiceKeepsWhatItCannotShow) {
    Form form = sample_form();
    form.load({true, ""});
    EXPECT_EQ(form.text(F_NAME), "Untitled");
    form.load({false, ""});
    EXPECT_EQ(form.text(F_NAME), "");
    // A value beyond the entries leaves the choice as it stood; no choice
    // at all stores nothing.
    proper_set(NETFMT_FIELD, 9, 0);
    form.load({});
    EXPECT_EQ(form.number(F_CHOICE), 0);  // as the first load left it
    Form fresh = sample_form();
    fresh.load({});
    EXPECT_EQ(fresh.number(F_CHOICE), -1);
    fresh.store();
    EXPECT_EQ(proper_get(NETFMT_FIELD), 9);
}

TEST_F(FormTest, ListLinesAreSelectedOneByOne) {
    Form form = sample_form();
    form.set_entries(F_LIST, {"x", "y"});
    form.select(F_LIST, 1, true);
    form.select(F_LIST, 7, true);  // no such line: nothing
    EXPECT_FALSE(form.selected(F_LIST, 0));
    EXPECT_TRUE(form.selected(F_LIST, 1));
    EXPECT_FALSE(form.selected(F_LIST, 7));
    EXPECT_FALSE(form.has(0));
    EXPECT_FALSE(form.has(99));
    EXPECT_EQ(form.row(F_LIST).label, std::string("Fields:"));
}

TEST(LeadingNumber, ReadsDigitsUpToTheFirstOtherCharacter) {
    EXPECT_EQ(leading_number("12abc"), 12);
    EXPECT_EQ(leading_number("abc"), 0);
    EXPECT_EQ(leading_number(""), 0);
    EXPECT_EQ(leading_number("  +7"), 7);
    EXPECT_EQ(leading_number("\t-15x"), -15);
    EXPECT_EQ(leading_number("- 3"), 0);
    EXPECT_EQ(leading_number("99999999999999999999"), INT_MAX);
    EXPECT_EQ(leading_number("-99999999999999999999"), INT_MIN);
}

}  // namespace
