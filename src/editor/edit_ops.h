#pragma once
// Small document-side operations of the editors: numbering repeated labels,
// the side of a pin dropped on a body edge, the pins' display bits before a
// part is placed, and the search of texts with its cyclic match list.
#include <cstdint>
#include <string>

#include "foundation/geometry.h"

struct Part;
struct Pin;
struct Schema;

// With a non-zero step: a trailing backslash is set aside (a string that is
// only a backslash is left alone), the run of decimal digits before it is
// replaced by its value plus the step, and the backslash is put back.
// Without trailing digits, or with step 0, nothing changes. The value keeps
// its sign-less digit run: "D9" + 1 is "D10", "A07" + 1 is "A8".
void label_increment(std::string* text, int step);

// Sets a pin's side from a point on the body rectangle's edges: x on the
// left edge left, on the right edge right; else y on the top edge top, else
// bottom. The pin's cached drawing is dropped.
void pin_side_from_point(Pin* pin, Point p, const Rect& body);

// Before a part is placed: every pin of the chosen body's list gets 0x08 and
// 0x80, loses 0x40, and gets 0x40 again when that body has no drawn item.
void init_pin_display(Part* part, bool converted);

// --- search -------------------------------------------------------------------------------
// True when the whole text matches the pattern: letters compared in
// capitals unless case_sensitive; with wildcards '?' matches one character
// and '*' any run; without them every character is literal.
bool text_matches(const char* pattern, const char* text, bool case_sensitive, bool wildcards);
// Search the texts of the current sheet / of the title block's two lists;
// the matches replace the document's match list, with no current match.
// Answers the number of matches.
int search_sheet_texts(Schema* schema, const char* pattern, bool case_sensitive, bool wildcards);
int search_title_texts(Schema* schema, const char* pattern, bool case_sensitive, bool wildcards);
// Steps the match list one back / one on, cyclically (from no current
// match: the last / the first), and gives the match's anchor ((0, 0) and
// false when the list is empty).
bool match_previous(Schema* schema, Point* out);
bool match_next(Schema* schema, Point* out);
