#include "dialogs/font_choice.h"

#include <cstdio>

#include <wx/fontdlg.h>

#include "foundation/font_record.h"
#include "foundation/list.h"
#include "model/documents/fonts.h"
#include "toolkit/asking.h"

int register_document_font(wxWindow* parent, List** fonts, int font_id) {
    wxFontData data;
    if (!ask_font(parent, &data)) return font_id;
    wxFont chosen = data.GetChosenFont();
    Font* record = new_Font();
    std::snprintf(record->face_name, sizeof record->face_name, "%s",
                  chosen.GetFaceName().utf8_string().c_str());
    record->size = chosen.GetPointSize() * 10;
    record->height = -chosen.GetPointSize();
    record->weight = chosen.GetWeight() >= wxFONTWEIGHT_BOLD ? 700 : 400;
    record->italic = chosen.GetStyle() != wxFONTSTYLE_NORMAL;
    record->underline = chosen.GetUnderlined();
    record->strike_out = chosen.GetStrikethrough();
    if (Font* same = font_find_same(*fonts, record)) {
        free_Font(record);
        return same->number + 10;
    }
    if (!*fonts) *fonts = list_new();
    record->number = font_free_number(*fonts);
    record->state = 1;
    dlist_append(*fonts, record);
    return record->number + 10;
}
