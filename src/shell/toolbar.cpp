#include "shell/toolbar.h"

#include <algorithm>
#include <array>
#include <functional>

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>

#include "foundation/properties.h"
#include "shell/commands.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "toolkit/dock_pane.h"

namespace {

constexpr int ICON = 22;

struct Tool {
    int button;
    const char* tip;
    // The command on a sheet, library and template canvas, and with none.
    int sheet, library, templ, none;
    std::function<void(wxDC&)> draw;
};

void page(wxDC& dc) {
    dc.DrawPolygon(5, std::array<wxPoint, 5>{wxPoint(5, 2), wxPoint(13, 2), wxPoint(17, 6),
                                             wxPoint(17, 19), wxPoint(5, 19)}
                          .data());
}

void magnifier(wxDC& dc, bool plus, bool minus) {
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawCircle(9, 9, 6);
    dc.SetPen(wxPen(*wxBLACK, 3));
    dc.DrawLine(13, 13, 19, 19);
    dc.SetPen(wxPen(*wxBLACK, 1));
    if (plus || minus) dc.DrawLine(6, 9, 13, 9);
    if (plus) dc.DrawLine(9, 6, 9, 13);
}

const std::array<Tool, TOOL_LAST - TOOL_FIRST + 1>& tools() {
    static const std::array<Tool, TOOL_LAST - TOOL_FIRST + 1> list = {{
        {TOOL_NEW, "New sheet", CMD_NEW, CMD_NEW, CMD_NEW, CMD_NEW, [](wxDC& dc) { page(dc); }},
        {TOOL_OPEN, "Open a sheet", CMD_OPEN, CMD_OPEN, CMD_OPEN, CMD_OPEN,
         [](wxDC& dc) {
             dc.SetBrush(wxBrush(wxColour(230, 200, 90)));
             dc.DrawRectangle(2, 7, 17, 12);
             dc.DrawRectangle(2, 4, 7, 3);
         }},
        {TOOL_SAVE, "Save", CMD_SAVE, CMD_LIB_SAVE, CMD_TMPL_SAVE, 0,
         [](wxDC& dc) {
             dc.SetBrush(wxBrush(wxColour(60, 90, 170)));
             dc.DrawRectangle(2, 2, 18, 18);
             dc.SetBrush(*wxWHITE_BRUSH);
             dc.DrawRectangle(6, 3, 10, 6);
             dc.DrawRectangle(6, 13, 10, 7);
         }},
        {TOOL_PRINT, "Print", CMD_PRINT, CMD_PRINT, CMD_PRINT, 0,
         [](wxDC& dc) {
             dc.DrawRectangle(6, 2, 10, 7);
             dc.SetBrush(wxBrush(wxColour(160, 160, 160)));
             dc.DrawRectangle(2, 9, 18, 8);
             dc.SetBrush(*wxWHITE_BRUSH);
             dc.DrawRectangle(6, 14, 10, 6);
         }},
        {TOOL_PREVIEW, "Print preview", CMD_PREVIEW_SHEET, CMD_PREVIEW_LIBRARY,
         CMD_PREVIEW_TEMPLATE, 0,
         [](wxDC& dc) {
             page(dc);
             magnifier(dc, false, false);
         }},
        {TOOL_UNDO, "Undo", CMD_UNDO, CMD_UNDO, TEMPLATE_CMD_UNDO, 0,
         [](wxDC& dc) {
             dc.SetPen(wxPen(*wxBLACK, 2));
             dc.DrawArc(16, 16, 6, 8, 12, 14);
             dc.DrawLine(6, 8, 6, 3);
             dc.DrawLine(6, 8, 11, 8);
         }},
        {TOOL_ZOOM_IN, "Zoom in", CMD_ZOOM_IN, CMD_ZOOM_IN, CMD_ZOOM_IN, 0,
         [](wxDC& dc) { magnifier(dc, true, true); }},
        {TOOL_ZOOM_OUT, "Zoom out", CMD_ZOOM_OUT, CMD_ZOOM_OUT, CMD_ZOOM_OUT, 0,
         [](wxDC& dc) { magnifier(dc, false, true); }},
        {TOOL_ZOOM_FIT, "Zoom to fit", CMD_ZOOM_FIT, CMD_ZOOM_FIT, CMD_ZOOM_FIT, 0,
         [](wxDC& dc) {
             dc.SetBrush(*wxTRANSPARENT_BRUSH);
             dc.DrawRectangle(2, 2, 18, 18);
             magnifier(dc, false, false);
         }},
        {TOOL_WIRE, "Add Wires", EDITOR_WIRE, LIBEDIT_CMD_LINE, TEMPLATE_CMD_LINE, 0,
         [](wxDC& dc) {
             dc.SetPen(wxPen(wxColour(0, 130, 0), 2));
             dc.DrawLine(2, 18, 10, 18);
             dc.DrawLine(10, 18, 10, 4);
             dc.DrawLine(10, 4, 20, 4);
         }},
        {TOOL_BUS, "Add Buses", EDITOR_BUS, 0, 0, 0,
         [](wxDC& dc) {
             dc.SetPen(wxPen(wxColour(0, 0, 170), 4));
             dc.DrawLine(2, 11, 20, 11);
         }},
        {TOOL_JUNCTION, "Add Junctions", EDITOR_JUNCTION, 0, 0, 0,
         [](wxDC& dc) {
             dc.DrawLine(2, 11, 20, 11);
             dc.DrawLine(11, 11, 11, 20);
             dc.SetBrush(*wxBLACK_BRUSH);
             dc.DrawCircle(11, 11, 3);
         }},
        {TOOL_PART, "Add Parts", EDITOR_PLACE_PART, LIBEDIT_CMD_PART, 0, 0,
         [](wxDC& dc) {
             dc.DrawRectangle(6, 3, 10, 16);
             for (int y : {6, 11, 16}) {
                 dc.DrawLine(2, y, 6, y);
                 dc.DrawLine(16, y, 20, y);
             }
         }},
        {TOOL_GROUND, "Ground", EDITOR_POWER, 0, 0, 0,
         [](wxDC& dc) {
             dc.SetPen(wxPen(*wxBLACK, 2));
             dc.DrawLine(11, 2, 11, 11);
             dc.DrawLine(3, 11, 19, 11);
             dc.DrawLine(6, 15, 16, 15);
             dc.DrawLine(9, 19, 13, 19);
         }},
        {TOOL_TEXT, "Add Texts", EDITOR_TEXT, LIBEDIT_CMD_TEXT, TEMPLATE_CMD_TEXT, 0,
         [](wxDC& dc) {
             dc.SetFont(wxFont(wxFontInfo(13).Bold()));
             dc.DrawText("T", 6, 2);
         }},
        {TOOL_HELP, "Help", CMD_HELP_CONTENTS, CMD_HELP_CONTENTS, CMD_HELP_CONTENTS,
         CMD_HELP_CONTENTS,
         [](wxDC& dc) {
             dc.SetFont(wxFont(wxFontInfo(13).Bold()));
             dc.SetTextForeground(wxColour(0, 0, 160));
             dc.DrawText("?", 7, 2);
         }},
    }};
    return list;
}

// Bitmaps are drawn once and kept for the program's life.
const wxBitmap& tool_bitmap(int button) {
    static std::array<wxBitmap, TOOL_LAST - TOOL_FIRST + 1> bitmaps;
    wxBitmap& bitmap = bitmaps[button - TOOL_FIRST];
    if (!bitmap.IsOk()) {
        bitmap.Create(ICON, ICON, 24);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(wxColour(240, 240, 240)));
        dc.Clear();
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxWHITE_BRUSH);
        tools()[button - TOOL_FIRST].draw(dc);
        dc.SelectObject(wxNullBitmap);
        bitmap.SetMask(new wxMask(bitmap, wxColour(240, 240, 240)));
    }
    return bitmap;
}

}  // namespace

int toolbar_command_for(int button, int kind) {
    if (button >= PALETTE_FIRST && button < PALETTE_FIRST + PALETTE_SLOTS)
        return kind == CANVAS_SHEET ? EDITOR_PLACE_PART : 0;
    if (button < TOOL_FIRST || button > TOOL_LAST) return 0;
    const Tool& t = tools()[button - TOOL_FIRST];
    switch (kind) {
        case CANVAS_SHEET: return t.sheet;
        case CANVAS_LIBRARY: return t.library;
        case CANVAS_TEMPLATE: return t.templ;
        case CANVAS_NONE: return t.none;
        default: return 0;
    }
}

long toolbar_argument_for(int button) {
    if (button >= PALETTE_FIRST && button < PALETTE_FIRST + PALETTE_SLOTS)
        return ARG_PALETTE_FIRST + (button - PALETTE_FIRST);
    return button == TOOL_GROUND ? ARG_GROUND_BUTTON : 0;
}

void toolbar_command(int button) {
    int kind = paint_zone ? paint_zone->kind : CANVAS_NONE;
    int id = toolbar_command_for(button, kind);
    if (id != 0) menu_command(paint_zone, id, toolbar_argument_for(button));
}

void fill_toolbar(wxToolBar* toolbar) {
    toolbar->SetToolBitmapSize(wxSize(ICON, ICON));
    for (const Tool& t : tools()) {
        if (t.button == TOOL_UNDO || t.button == TOOL_WIRE || t.button == TOOL_HELP)
            toolbar->AddSeparator();
        toolbar->AddTool(t.button, wxString::FromUTF8(t.tip), tool_bitmap(t.button),
                         wxString::FromUTF8(t.tip));
    }
    toolbar->Realize();
}

void refresh_toolbar(wxToolBar* toolbar, EditCanvas* canvas) {
    const CommandState state = command_state(canvas);
    for (const Tool& t : tools()) {
        int id = toolbar_command_for(t.button, state.kind);
        toolbar->EnableTool(t.button, id != 0 && command_enabled(id, state));
    }
}

// --- part palette -------------------------------------------------------------------------

namespace {

// One button per entry of the palette properties, up to the first missing
// library or part name, in a column that scrolls when the frame is short.
class PalettePane : public DockPane {
public:
    explicit PalettePane(wxWindow* parent)
        // Its close button is View > Part Palette: hidden until shown again,
        // also at the next start.
        : DockPane(parent, wxS("Parts"), wxLAYOUT_RIGHT, DOCK_PANE_MIN,
                   [] { menu_command(paint_zone, CMD_PALETTE, 0); }) {
        entries_ =
            new wxScrolledWindow(Body(), wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
        entries_->SetScrollRate(0, 10);
        column_ = new wxBoxSizer(wxVERTICAL);
        entries_->SetSizer(column_);
        SetContent(entries_);
        Rebuild();
    }

    void Rebuild() {
        entries_->DestroyChildren();
        column_->Clear();
        int count = proper_get(NB_PART_PALETTE);
        if (count > PALETTE_SLOTS) count = PALETTE_SLOTS;
        for (int i = 0; i < count; ++i) {
            const char* lib = strproper_get(PART_PALETTE_LIB, i);
            const char* part = strproper_get(PART_PALETTE_PART, i);
            if (!lib || !*lib || !part || !*part) break;
            auto* button = new wxButton(entries_, PALETTE_FIRST + i, wxString::FromUTF8(part));
            button->SetToolTip(wxString::FromUTF8(std::string(lib) + "/" + part));
            // The keys stay with the sheet the part is placed on (Esc ends
            // the placement).
            button->SetCanFocus(false);
            button->Bind(wxEVT_BUTTON, [](wxCommandEvent& e) { toolbar_command(e.GetId()); });
            column_->Add(button, 0, wxEXPAND | wxALL, 1);
        }
        if (column_->IsEmpty())
            column_->Add(new wxStaticText(entries_, wxID_ANY, wxS("No parts")), 0, wxALL, 6);
        entries_->FitInside();
        // As wide as its widest entry or its caption, a scroll bar and the
        // sash beside them.
        const int entries = column_->CalcMin().x + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X);
        const int width = std::max(entries, Body()->GetSizer()->CalcMin().x) +
                          2 * GetExtraBorderSize() + GetEdgeMargin(wxSASH_LEFT) + 4;
        SetThickness(width);
        Body()->Layout();
        if (main_frame) main_frame->LayoutPanes();
    }

private:
    wxScrolledWindow* entries_;
    wxBoxSizer* column_;
};

}  // namespace

wxWindow* make_palette(wxWindow* parent) { return new PalettePane(parent); }

void rebuild_palette(int) {
    if (!main_frame || !main_frame->Palette()) return;
    static_cast<PalettePane*>(main_frame->Palette())->Rebuild();
}

namespace {
int current_palette_slot = 0;
}  // namespace

void palette_select(int slot) {
    if (slot >= 0 && slot < PALETTE_SLOTS) current_palette_slot = slot;
}

int palette_selected() { return current_palette_slot; }

void refresh_palette() {
    if (main_frame && main_frame->Palette()) main_frame->Palette()->Refresh();
}
