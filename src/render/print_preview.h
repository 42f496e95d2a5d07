#pragma once
// The print preview: a modal dialog showing one page of a print job at a
// time, with "&Close" (and Esc), "<< Prev", "Next >>" and the page text.
// What its buttons do is plain logic (print_preview_command) that tests
// call without a window.
#include <string>

class PrintJob;
class wxWindow;

// Control ids of the dialog.
enum : int {
    PREVIEW_AREA = 1250,
    PREVIEW_CLOSE = 1251,
    PREVIEW_PREV = 1252,
    PREVIEW_NEXT = 1253,
    PREVIEW_PAGE_TEXT = 1254,
};

struct PreviewState {
    int page = 1;
    int count = 1;
    bool closed = false;
};

// Applies a button: Close ends the dialog, Prev and Next step one page
// within 1..count. True when the page changed or the dialog closed.
bool print_preview_command(PreviewState* state, int id);
// "Page %d of %d".
std::string preview_page_text(const PreviewState& state);

// Runs the dialog modally over the parent until it is closed.
void print_preview_proc(wxWindow* parent, PrintJob& job);
