#pragma once
// The font chooser of the dialogs that give an item a document font.
class wxWindow;
struct List;

// The platform font dialog for the font of that id; the id of the chosen
// font (found or added in the list), or the given id when cancelled.
int register_document_font(wxWindow* parent, List** fonts, int font_id);
