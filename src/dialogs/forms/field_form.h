#pragma once
// The Edit Field dialog without its window: the text of one field of a
// placed part (reference, value or user field) changed on the sheet. The
// reference of a package of several devices shows its device letter, and a
// capital letter typed at its end that names one of the package's devices
// chooses that device.
#include <string>
#include <vector>

#include "dialogs/forms/form.h"

struct EditSession;
struct PlacedPart;
struct Schema;

enum EditFieldField : int { FF_VALUE = 1 };
enum : long { FIELD_CMD_CHANGE = 20043, FIELD_CMD_HELP = 20058 };

std::vector<FormRow> edit_field_rows();
// The field's text as the sheet shows it.
std::string field_shown_text(Schema* schema, PlacedPart* pl, int index);
void load_edit_field(Form& form, Schema* schema, PlacedPart* pl, int index);
// Change: the field's text (and, for the reference, the device its last
// letter names), in one edit of the sheet. Nothing for a field the part
// does not have.
void apply_edit_field(EditSession* session, PlacedPart* pl, int index, const std::string& text);
