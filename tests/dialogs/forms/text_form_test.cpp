// The Add/Edit Text dialog without its window: its values between the
// properties, a text of the sheet and the form; Add placing through the
// "Add Text" mode, Change as one edit that undo takes back; the label
// check; and the font label of the document fonts.
#include "dialogs/forms/text_form.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/editor_fixture.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/fonts.h"
#include "model/documents/schema.h"
#include "model/items/text.h"

using namespace editor_test;

namespace {

class TextForm : public EditorTest {
protected:
    void TearDown() override {
        free_Fonts(system_fonts);
        system_fonts = nullptr;
        EditorTest::TearDown();
    }
    Form form{text_window_rows()};
    List** fonts() { return &doc()->fonts; }

    Text* add_text(const char* string, uint8_t flags, int font = 0) {
        Text* text = new_Text();
        text->string = string;
        text->flags = flags;
        text->font = font;
        text->size = TextSize{700, 1100};
        text->pos = Point{1000, 1000};
        dlist_append(doc()->sheet->items, text);
        return text;
    }
    // A font of the system list, numbered `number`.
    Font* system_font(int number, const char* face) {
        Font* font = new_Font();
        font->number = number;
        font->size = 120;
        font_set_face(font, face);
        if (!system_fonts) system_fonts = list_new();
        dlist_append(system_fonts, font);
        return font;
    }
};

TEST_F(TextForm, LoadShowsThePropertiesAndAStoredLabelOrHiddenCellSensibly) {
    proper_set(TEXT_XSCAL, 800, TEXT_YSCAL, 1200, TEXT_XMIR, 1, TEXT_YMIR, 0, TEXT_BOX, 1,
               TEXT_TEXT, "CLK", TEXT_AUTO, 1, INTERNAL_FONT, 1, 0);
    // Stored type -> shown type: 1 and 2 are labels, the others comments.
    const int shown[] = {0, 1, 1, 0, 0};
    for (int stored = 0; stored < 5; ++stored) {
        proper_set(TEXT_TYPE, stored, 0);
        load_text_window(form, fonts());
        EXPECT_EQ(form.number(TF_TYPE), shown[stored]) << stored;
    }
    EXPECT_EQ(form.text(TF_XSIZE), "800");
    EXPECT_EQ(form.text(TF_YSIZE), "1200");
    EXPECT_EQ(form.number(TF_XMIR), 1);
    EXPECT_EQ(form.number(TF_BOX), 1);
    EXPECT_EQ(form.text(TF_TEXT), "CLK");
    EXPECT_EQ(form.number(TF_AUTO), 1);
    EXPECT_EQ(form.text(TF_FONT_LABEL), "Font : Internal");
    // The hidden centre of the compass (and a value outside it) shows east.
    for (int stored : {4, 9, -1}) {
        proper_set(TEXT_ORIENT, stored, 0);
        load_text_window(form, fonts());
        EXPECT_EQ(form.number(TF_ORIENT), 7) << stored;
    }
    proper_set(TEXT_ORIENT, 3, 0);
    load_text_window(form, fonts());
    EXPECT_EQ(form.number(TF_ORIENT), 3);
    // An empty text keeps the main button off until something is typed.
    proper_set(TEXT_TEXT, "", 0);
    load_text_window(form, fonts());
    EXPECT_FALSE(form.value(TF_MAIN).enabled);
    form.set_text(TF_TEXT, "x");
    text_window_text_changed(form);
    EXPECT_TRUE(form.value(TF_MAIN).enabled);
}

// A new user's first text: no mirror, no box, east; placed, its attribute
// byte holds nothing but the type.
TEST_F(TextForm, AFreshInstallsTextIsUprightAndPlain) {
    config_set_defaults();
    load_text_window(form, fonts());
    EXPECT_EQ(form.number(TF_XMIR), 0);
    EXPECT_EQ(form.number(TF_YMIR), 0);
    EXPECT_EQ(form.number(TF_BOX), 0);
    EXPECT_EQ(form.number(TF_ORIENT), 7);
    EXPECT_EQ(text_window_attributes(form), 0);
}

TEST_F(TextForm, FontButtonAndMirrorsFollowTheFontAndTheType) {
    struct Case {
        int internal, type;
        bool font_button, mirrors;
    };
    // A comment in a document font offers Font..., anything else mirroring.
    for (const Case& c : {Case{0, 0, true, false}, Case{0, 1, false, true}, Case{1, 0, false, true},
                          Case{1, 1, false, true}}) {
        proper_set(INTERNAL_FONT, c.internal, TEXT_TYPE, c.type, 0);
        load_text_window(form, fonts());
        EXPECT_EQ(form.value(TF_FONT_BUTTON).enabled, c.font_button) << c.internal << c.type;
        EXPECT_EQ(form.value(TF_XMIR).enabled, c.mirrors);
        EXPECT_EQ(form.value(TF_YMIR).enabled, c.mirrors);
    }
    // Toggling Internal Font decides by itself, whatever the type.
    form.set_number(TF_INTERNAL, 0);
    text_window_internal_changed(form, fonts());
    EXPECT_TRUE(form.value(TF_FONT_BUTTON).enabled);
    EXPECT_FALSE(form.value(TF_XMIR).enabled);
}

TEST_F(TextForm, StoreAndTheAttributeByteFollowTheForm) {
    load_text_window(form, fonts());
    form.set_text(TF_XSIZE, "500abc");
    form.set_text(TF_YSIZE, "x");
    form.set_number(TF_ORIENT, 3);  // north
    form.set_number(TF_XMIR, 1);
    form.set_number(TF_YMIR, 1);
    form.set_number(TF_BOX, 1);
    form.set_number(TF_TYPE, 1);
    form.set_text(TF_TEXT, "D0");
    form.set_number(TF_INTERNAL, 1);
    store_text_window(form, fonts());
    EXPECT_EQ(proper_get(TEXT_XSCAL), 500);
    EXPECT_EQ(proper_get(TEXT_YSCAL), 0);
    EXPECT_EQ(proper_get(TEXT_ORIENT), 3);
    EXPECT_EQ(proper_get(TEXT_TYPE), 1);
    EXPECT_STREQ(strproper_get(TEXT_TEXT), "D0");
    EXPECT_EQ(text_window_attributes(form), 3 | MX | MY | BOXED | LABEL);
    EXPECT_EQ(text_window_font(form, fonts()), 0);
    form.set_number(TF_ORIENT, 4);  // the centre reads as east
    form.set_number(TF_TYPE, 0);
    EXPECT_EQ(text_window_attributes(form), MX | MY | BOXED);
}

TEST_F(TextForm, ATextOfTheSheetShowsItsOwnValuesAndStaysAsItIs) {
    Text* label = add_text("RESET", LABEL | ROT_90 | MY);
    text_to_text_window(form, fonts(), label, nullptr);
    EXPECT_EQ(form.text(TF_TEXT), "RESET");
    EXPECT_EQ(form.number(TF_TYPE), 1);
    EXPECT_EQ(form.number(TF_ORIENT), button_of_orient_code(ROT_90));
    EXPECT_EQ(form.number(TF_YMIR), 1);
    EXPECT_EQ(form.number(TF_XMIR), 0);
    EXPECT_EQ(form.number(TF_INTERNAL), 1);
    EXPECT_EQ(form.text(TF_XSIZE), "700");

    // A text in a document font: opening the dialog leaves the text's sizes.
    Font* record = new_Font();
    record->number = 1;
    record->size = 100;
    font_set_face(record, "Serif");
    if (!doc()->fonts) doc()->fonts = list_new();
    dlist_append(doc()->fonts, record);
    Text* note = add_text("note", 0, FONT_ID_BASE + 1);
    const std::vector<unsigned char> before = saved_bytes();
    text_to_text_window(form, fonts(), note, nullptr);
    EXPECT_EQ(note->size, (TextSize{700, 1100}));
    EXPECT_EQ(saved_bytes(), before);
    EXPECT_EQ(form.number(TF_INTERNAL), 0);
    EXPECT_EQ(text_window_font_id(form), FONT_ID_BASE + 1);
    EXPECT_EQ(form.text(TF_FONT_LABEL).rfind("Font : Serif", 0), 0u) << form.text(TF_FONT_LABEL);
    // A long text is shown whole.
    Text* long_text = add_text(std::string(300, 'x').c_str(), 0);
    text_to_text_window(form, fonts(), long_text, nullptr);
    EXPECT_EQ(form.text(TF_TEXT).size(), 300u);
}

TEST_F(TextForm, AddStartsTheTextToolOnceAndChangeIsOneEditUndoTakesBack) {
    proper_set(INTERNAL_FONT, 1, TEXT_TYPE, 0, 0);
    load_text_window(form, fonts());
    form.set_text(TF_TEXT, "D0");
    apply_text_window(&session, form);
    ASSERT_EQ(ModeCount(&session), 2);
    EXPECT_STREQ(ModeName(&session, 1), "Add Text");
    EXPECT_EQ(as_Text(mode_ghost_item(TopMode(&session)))->string, "D0");
    form.set_text(TF_TEXT, "Q7");
    apply_text_window(&session, form);
    EXPECT_EQ(ModeCount(&session), 2);
    EXPECT_EQ(as_Text(mode_ghost_item(TopMode(&session)))->string, "Q7");
    PopMode(&session);

    Text* text = add_text("old", 0);
    const std::vector<unsigned char> before = saved_bytes();
    const int modified = host.modified;
    text_to_text_window(form, fonts(), text, nullptr);
    form.set_text(TF_TEXT, "new");
    form.set_number(TF_TYPE, 1);
    form.set_number(TF_BOX, 1);
    form.set_text(TF_XSIZE, "900");
    store_text_window(form, fonts());
    props_to_text(&session, text, form);
    EXPECT_EQ(text->string, "new");
    EXPECT_EQ(text->flags, LABEL | BOXED);
    EXPECT_EQ(text->size.width, 900);
    EXPECT_GT(host.modified, modified);
    EXPECT_TRUE(host.undo_enabled);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

// A text keeps its sizes in 16 bits: a size typed beyond them takes the
// nearest end, never a size of the other sign (a mirrored text).
TEST_F(TextForm, ASizeTypedBeyondSixteenBitsTakesTheNearestEnd) {
    proper_set(INTERNAL_FONT, 1, TEXT_TYPE, 0, 0);
    load_text_window(form, fonts());
    Text* text = add_text("old", 0);
    text_to_text_window(form, fonts(), text, nullptr);
    form.set_text(TF_XSIZE, "40000");
    form.set_text(TF_YSIZE, "99999999999");
    store_text_window(form, fonts());
    props_to_text(&session, text, form);
    EXPECT_EQ(text->size.width, INT16_MAX);
    EXPECT_EQ(text->size.height, INT16_MAX);
    EXPECT_EQ(proper_get(TEXT_XSCAL), INT16_MAX);
    form.set_text(TF_XSIZE, "-40000");
    form.set_text(TF_TEXT, "D0");
    apply_text_window(&session, form);
    EXPECT_EQ(as_Text(mode_ghost_item(TopMode(&session)))->size.width, INT16_MIN);
    PopMode(&session);
}

TEST_F(TextForm, ALabelWithAParenthesisIsRefused) {
    script_answers({ANSWER_OK, ANSWER_OK});
    EXPECT_TRUE(label_has_parens("A(0)"));
    EXPECT_EQ(last_box_text().rfind("Invalid Label!", 0), 0u) << last_box_text();
    EXPECT_TRUE(label_has_parens("A0)"));
    EXPECT_FALSE(label_has_parens("A0"));
    // Beyond what TEXT_TEXT keeps, the whole text is looked at.
    const std::string long_label = std::string(150, 'A') + "(0)";
    script_answers({ANSWER_OK});
    EXPECT_TRUE(label_has_parens(long_label));
    clear_scripted_answers();
}

TEST_F(TextForm, TheTypesFontIsBroughtFromTheSystemListIntoTheDocument) {
    system_font(3, "Sans");
    proper_set(FONT_COMMENT, FONT_ID_BASE + 3, FONT_LABEL, 0, INTERNAL_FONT, 0, TEXT_TYPE, 0, 0);
    load_text_window(form, fonts());
    ASSERT_NE(doc()->fonts, nullptr);
    ASSERT_EQ(doc()->fonts->count, 1u);
    const Font* own = static_cast<Font*>(doc()->fonts->head->data);
    EXPECT_EQ(text_window_font_id(form), own->number + FONT_ID_BASE);
    EXPECT_EQ(form.text(TF_FONT_LABEL).rfind("Font : Sans", 0), 0u) << form.text(TF_FONT_LABEL);
    // The label type's font is the internal one.
    form.set_number(TF_TYPE, 1);
    text_window_type_changed(form, fonts());
    EXPECT_EQ(text_window_font_id(form), 0);
    EXPECT_EQ(form.text(TF_FONT_LABEL), "Font : Internal");
    // Back to the comment: the same record, not a second one.
    form.set_number(TF_TYPE, 0);
    text_window_type_changed(form, fonts());
    EXPECT_EQ(doc()->fonts->count, 1u);
    // Stored with the compass at north: the font's variant at 90 degrees.
    form.set_number(TF_ORIENT, 3);
    store_text_window(form, fonts());
    ASSERT_EQ(doc()->fonts->count, 2u);
    const Font* turned = font_find(doc()->fonts, text_window_font_id(form) - FONT_ID_BASE);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->escapement, 900);
    EXPECT_EQ(text_window_font(form, fonts()), text_window_font_id(form));
    // Without show, a document font still reads as internal.
    int id = text_window_font_id(form);
    EXPECT_EQ(font_label(fonts(), false, &id, false), "Font : Internal");
    id = 5;
    EXPECT_EQ(font_label(fonts(), false, &id, true), "Font : Internal");
}

}  // namespace
