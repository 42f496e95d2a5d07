#pragma once
// The forms of the library editor's part dialogs, without their windows:
// Get Part, Place Body, Part Names, Part Info, Get Vector Definition and
// its options. Each is its rows (dialogs/forms/form.h) and what moves between
// the form and the editor's values (libedit/libedit_dialogs.h); the
// windows (libedit/gui/libedit_dialogs.h) show a form, call the editor and
// show the form again.
#include <string>
#include <vector>

#include "dialogs/forms/form.h"
#include "libedit/forms/dialog_ids.h"

struct VectorOptions;

// --- Get Part -----------------------------------------------------------------------------
enum : int { GP_PARTS = 1, GP_PREVIEW, GP_SELECTED, GP_COUNT };
std::vector<FormRow> get_part_rows();
// The names Scan found listed, the first one chosen and typed as the
// selected part; no names leave the list empty and the name typed.
void get_part_listed(Form& form, std::vector<std::string> names);
// The name chosen in the list becomes the selected part: that name, or ""
// when none is chosen (the form unchanged).
std::string get_part_chosen(Form& form);

// --- Place Body ------------------------------------------------------------------------------
enum : int { PB_DEVICES = 1, PB_CONVERT };
std::vector<FormRow> place_body_rows();
// The devices per package chosen (one while no row is), and the form.
int place_body_devices(const Form& form);
bool place_body_converted(const Form& form);

// --- Part Names -------------------------------------------------------------------------------
enum : int { PN_NAMES = 1, PN_NAME, PN_COUNT };
std::vector<FormRow> part_names_rows();
// Every fill: the names listed, none chosen, the Name text emptied.
void part_names_listed(Form& form, std::vector<std::string> names);
// The name chosen in the list into the Name text.
void part_names_chosen(Form& form);

// --- Part Info ----------------------------------------------------------------------------------
enum : int { PI_VALUES = 1 };  // .. PI_VALUES + 5, the values of part_info_values
std::vector<FormRow> part_info_rows();

// --- Get Vector Definition -----------------------------------------------------------------------
enum : int { GV_LIBRARIES = 1, GV_LIBRARY, GV_PARTS, GV_PART, GV_NOTE };
std::vector<FormRow> get_vector_rows();
// The library files listed, none chosen (choosing any, the first one too,
// lists its parts); no part listed, both names emptied.
void get_vector_listed(Form& form, std::vector<std::string> libraries);
// A library chosen in the list (or typed: library_typed) is searched for
// every part: its name typed, the part pattern "*"; a library typed also
// empties the parts listed.
void get_vector_library_chosen(Form& form);
void get_vector_library_typed(Form& form);
// Before a search: an empty part pattern searches "*". True when the
// pattern was empty.
bool get_vector_pattern(Form& form);
// The parts a search found listed; one match leaves the list as it was
// (false).
bool get_vector_parts_found(Form& form, std::vector<std::string> names);
// A part chosen in the list into "Selected Part:".
void get_vector_part_chosen(Form& form);

enum : int { VO_FREE = 1, VO_NORMAL, VO_CONVERT };
std::vector<FormRow> vector_options_rows();
// The options Get found (and what they enable) into the form, and back.
void vector_options_load(Form& form, const VectorOptions& options);
VectorOptions vector_options_scan(const Form& form);
