#include "dialogs/forms/field_form.h"

#include "editor/edit_transaction.h"
#include "editor/tool_mode.h"
#include "model/documents/attribute.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/part.h"
#include "model/items/text.h"

std::vector<FormRow> edit_field_rows() {
    using K = RowKind;
    return {
        {.kind = K::TEXT,
         .field = FF_VALUE,
         .label = "Field Value: ",
         .sample = "xxxxxxxxxxxxxxxxx",
         .select_all = true},
        {.kind = K::DIALOG_BUTTON, .label = "Change", .client = FIELD_CMD_CHANGE},
        {.kind = K::BUTTON_SPACE, .min = 20},
        {.kind = K::DIALOG_BUTTON, .label = "Help", .client = FIELD_CMD_HELP},
    };
}

std::string field_shown_text(Schema* schema, PlacedPart* pl, int index) {
    Attribute* attribute = pl ? pl_get_attribute(pl, index) : nullptr;
    if (!attribute) return {};
    // As drawn: the text a pick of the field shows.
    Text* shown = attr_text_item(schema, pl, attribute, index);
    if (!shown) no_memory();
    std::string text = shown->string;
    free_Text(shown, false);
    return text;
}

void load_edit_field(Form& form, Schema* schema, PlacedPart* pl, int index) {
    form.set_text(FF_VALUE, field_shown_text(schema, pl, index));
}

void apply_edit_field(EditSession* session, PlacedPart* pl, int index, const std::string& text) {
    if (!session || !session->schema || !pl) return;
    Attribute* attribute = pl_get_attribute(pl, index);
    if (!attribute) return;
    std::string value = text;
    int device = pl->device;
    const Part* part = pl_get_part(session->schema->library, pl);
    if (index == 0 && part && part->devices > 1 && !value.empty()) {
        const char letter = value.back();
        // Only a letter naming one of the package's devices chooses it;
        // any other stays part of the reference.
        if (letter >= 'A' && letter <= 'Z' && letter - 'A' < part->devices) {
            device = letter - 'A';
            value.pop_back();
        }
    }
    EditTransaction edit(session);
    edit.before(pl);
    pl->device = device;
    attribute->text.set(value.c_str());
    drop_Attribute_layout(attribute);
    edit.touch(pl);
}
