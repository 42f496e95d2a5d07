// The tip of the day, the Statistics box and the print preview's opener.
#include "dialogs/resource_dialogs.h"

#include <memory>
#include <string>
#include <vector>

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include "dialogs/forms/statistics.h"
#include "dialogs/forms/tips.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "foundation/properties.h"
#include "render/print_preview.h"
#include "toolkit/asking.h"
#include "toolkit/res_dialogs.h"

wxWindow* dialog_parent_window() { return application().main_window(); }

// --- the tip of the day -----------------------------------------------------------------------

namespace {

enum : int { TIP_SHOW = 30003, TIP_NEXT = 30004, TIP_CLOSE = 30005 };

// The tips counted the first time the box opened in this run.
int tips_counted = 0;

// The tip's card: a framed white area with "Did you know..." and the tip
// broken into lines at blanks.
class TipCard : public wxPanel {
public:
    TipCard(wxWindow* parent, const TipsFile& tips) : wxPanel(parent), tips_(tips) {
        SetMinSize(FromDIP(wxSize(360, 230)));
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) { Paint(); });
    }

private:
    void Paint() {
        wxPaintDC dc(this);
        const wxSize size = GetClientSize();
        dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
        dc.Clear();
        const int margin = FromDIP(10);
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxWHITE_BRUSH);
        dc.DrawRectangle(margin, margin, size.x - 2 * margin, size.y - 2 * margin);
        dc.SetTextForeground(*wxBLACK);
        wxFont bold = GetFont().Bold();
        bold.SetPointSize(bold.GetPointSize() + 2);
        dc.SetFont(bold);
        const int inner = 3 * margin;
        dc.DrawText(wxS("Did you know..."), inner, inner);
        wxFont plain = GetFont();
        plain.SetPointSize(plain.GetPointSize() + 1);
        dc.SetFont(plain);
        int y = inner + dc.GetCharHeight() * 2 + margin;
        const int width = size.x - 2 * inner;
        for (const wxString& line : Lines(dc, width)) {
            if (y + dc.GetCharHeight() > size.y - margin) break;
            dc.DrawText(line, inner, y);
            y += dc.GetCharHeight();
        }
    }

    // The tip's paragraphs broken at blanks into lines of at most `width`.
    std::vector<wxString> Lines(wxDC& dc, int width) const {
        std::vector<wxString> lines;
        wxString tip = wxString::FromUTF8(tips_.tip());
        if (tip.empty()) tip = wxString::From8BitData(tips_.tip().c_str());
        tip.Replace(wxS("\r\n"), wxS("\n"));
        for (const wxString& paragraph : wxSplit(tip, '\n', '\0')) {
            wxString line;
            for (const wxString& word : wxSplit(paragraph, ' ', '\0')) {
                const wxString longer = line.empty() ? word : line + ' ' + word;
                if (!line.empty() && dc.GetTextExtent(longer).x > width) {
                    lines.push_back(line);
                    line = word;
                } else {
                    line = longer;
                }
            }
            lines.push_back(line);
        }
        return lines;
    }

    const TipsFile& tips_;
};

std::string tips_path() { return application().program_file_path(TIPS_FILE); }

// The box's buttons: Next Tip walks on (after the last tip, the first);
// Close, also the Esc key and the close box, stores whether tips show at
// the next start and ends the box.
void tips_dialog_proc(wxDialog& dialog, TipsFile& tips, wxWindow* card, int id) {
    if (id == TIP_NEXT) {
        tips.tip_next();
        card->Refresh();
    } else if (id == TIP_CLOSE) {
        proper_set(TIPS_SHOW, check_get(&dialog, TIP_SHOW), 0);
        dialog.EndModal(0);
    }
}

}  // namespace

void show_daytips() {
    if (!res_dialog_begin(RES_DAYTIPS, application().current_canvas())) return;
    std::unique_ptr<TipsFile> tips = TipsFile::open(tips_path());
    if (!tips) return;
    if (tips_counted == 0) tips_counted = tips->tips_count();
    tips->tip_seek_random(tips_counted);

    wxDialog dialog(dialog_parent_window(), wxID_ANY, wxS("Tip of the Day"));
    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(new wxStaticBitmap(&dialog, wxID_ANY,
                                wxArtProvider::GetBitmap(wxART_TIP, wxART_MESSAGE_BOX)),
             0, wxALL, dialog.FromDIP(8));
    auto* card = new TipCard(&dialog, *tips);
    top->Add(card, 1, wxEXPAND);
    column->Add(top, 1, wxEXPAND);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxCheckBox(&dialog, TIP_SHOW, wxS("Show Tips on StartUp")), 1,
                 wxALIGN_CENTER_VERTICAL);
    check_set(&dialog, TIP_SHOW, proper_get(TIPS_SHOW) != 0);
    auto* next = new wxButton(&dialog, TIP_NEXT, wxS("&Next Tip"));
    auto* close = new wxButton(&dialog, TIP_CLOSE, wxS("&Close"));
    close->SetDefault();
    buttons->Add(next, 0, wxRIGHT, dialog.FromDIP(6));
    buttons->Add(close, 0);
    column->Add(buttons, 0, wxEXPAND | wxALL, dialog.FromDIP(8));
    dialog.SetSizerAndFit(column);
    dialog.SetEscapeId(TIP_CLOSE);

    for (wxButton* button : {next, close})
        button->Bind(wxEVT_BUTTON,
                     [&](wxCommandEvent& e) { tips_dialog_proc(dialog, *tips, card, e.GetId()); });
    dialog.Bind(wxEVT_CLOSE_WINDOW,
                [&](wxCloseEvent&) { tips_dialog_proc(dialog, *tips, card, TIP_CLOSE); });

    res_dialog_opened(RES_DAYTIPS, &dialog);
    center_window_on(&dialog, application().main_window());
    close->SetFocus();
    ask_modal(&dialog);
    res_dialog_closed(&dialog);
}

namespace {

class TipsTimer : public wxTimer {
public:
    void Notify() override { show_daytips(); }
};

}  // namespace

void start_tips_timer() {
    static TipsTimer timer;
    if (proper_get(TIPS_SHOW)) timer.StartOnce(1000);
}

// --- Statistics ------------------------------------------------------------------------------

namespace {

enum : int {
    STATS_CLOSE = 1230,
    STATS_PARTS = 1231,
    STATS_NETS = 1232,
    STATS_SUBSHEETS = 1233,
    STATS_POWERS = 1235,
    STATS_PINS = 1236,
};

std::vector<Schema*> open_sheets() {
    std::vector<Schema*> sheets;
    for (EditCanvas* canvas : application().canvases())
        if (canvas->kind == CANVAS_SHEET && canvas->mySchema) sheets.push_back(canvas->mySchema);
    return sheets;
}

// The box's one button, Close (also the Esc key), ends it.
void stats_dialog_proc(wxDialog& dialog, int id) {
    if (id == STATS_CLOSE) dialog.EndModal(0);
}

}  // namespace

void show_stats() {
    EditCanvas* canvas = application().current_canvas();
    if (!canvas || !res_dialog_begin(RES_STATS, canvas)) return;
    const StatsCounts counts = stats_counts(canvas->mySchema, open_sheets());

    wxDialog dialog(dialog_parent_window(), wxID_ANY, wxS("Statistics"));
    auto* box = new wxStaticBoxSizer(wxVERTICAL, &dialog, wxString());
    auto* grid = new wxFlexGridSizer(2, dialog.FromDIP(6), dialog.FromDIP(16));
    wxFont font = dialog.GetFont();
    font.SetPointSize(font.GetPointSize() + 2);
    const struct {
        const char* label;
        int id;
        int value;
    } lines[] = {{"Number of Parts", STATS_PARTS, counts.parts},
                 {"Number of SubSheet", STATS_SUBSHEETS, counts.subsheets},
                 {"Number of Nets", STATS_NETS, counts.nets},
                 {"Number of Power", STATS_POWERS, counts.powers},
                 {"Total Number of Pins", STATS_PINS, counts.pins}};
    for (const auto& line : lines) {
        grid->Add(new wxStaticText(&dialog, wxID_ANY, wxString::FromUTF8(line.label)), 0,
                  wxALIGN_CENTER_VERTICAL);
        auto* value =
            new wxStaticText(&dialog, line.id, wxString::FromUTF8(stats_value_text(line.value)),
                             wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT);
        value->SetFont(font);
        grid->Add(value, 0, wxALIGN_RIGHT | wxALIGN_CENTER_VERTICAL);
    }
    box->Add(grid, 0, wxALL, dialog.FromDIP(8));
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(box, 0, wxEXPAND | wxALL, dialog.FromDIP(8));
    auto* close = new wxButton(&dialog, STATS_CLOSE, wxS("&Close"));
    close->SetDefault();
    column->Add(close, 0, wxALIGN_CENTER | wxLEFT | wxRIGHT | wxBOTTOM, dialog.FromDIP(8));
    dialog.SetSizerAndFit(column);
    dialog.SetEscapeId(STATS_CLOSE);
    close->Bind(wxEVT_BUTTON, [&](wxCommandEvent& e) { stats_dialog_proc(dialog, e.GetId()); });

    res_dialog_opened(RES_STATS, &dialog);
    center_window_on(&dialog, application().main_window());
    ask_modal(&dialog);
    res_dialog_closed(&dialog);
}

// --- the print preview -------------------------------------------------------------------------

void show_print_preview(wxWindow* parent, PrintJob& job) {
    if (!res_dialog_begin(RES_PRINT_PREVIEW, application().current_canvas())) return;
    print_preview_proc(parent, job);
}
