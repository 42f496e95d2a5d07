#include "render/print_preview.h"

#include <algorithm>
#include <cstdio>

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "render/printer_settings.h"
#include "render/printing.h"
#include "toolkit/asking.h"
#include "toolkit/res_dialogs.h"

namespace {

constexpr double MM_PER_INCH = 25.4;

class PreviewDialog : public wxDialog {
public:
    PreviewDialog(wxWindow* parent, PrintJob& job)
        : wxDialog(parent, wxID_ANY, "Print Preview", wxDefaultPosition, wxDefaultSize,
                   wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
          job_(job) {
        const wxSize mm = print_data_page_mm(session_print_data());
        inches_ = wxRealPoint(mm.x / MM_PER_INCH, mm.y / MM_PER_INCH);
        area_ = new wxPanel(this, PREVIEW_AREA, wxDefaultPosition,
                            ConvertDialogToPixels(wxSize(180, 160)));
        area_->SetBackgroundStyle(wxBG_STYLE_PAINT);
        area_->Bind(wxEVT_PAINT, &PreviewDialog::OnPaintArea, this);
        auto* buttons = new wxBoxSizer(wxVERTICAL);
        buttons->Add(new wxButton(this, PREVIEW_CLOSE, "&Close"), 0, wxEXPAND | wxBOTTOM, 4);
        prev_ = new wxButton(this, PREVIEW_PREV, "<< Prev");
        next_ = new wxButton(this, PREVIEW_NEXT, "Next >>");
        buttons->Add(prev_, 0, wxEXPAND | wxBOTTOM, 4);
        buttons->Add(next_, 0, wxEXPAND | wxBOTTOM, 4);
        text_ = new wxStaticText(this, PREVIEW_PAGE_TEXT, "Page 1 of 1");
        buttons->Add(text_, 0, wxTOP, 8);
        auto* top = new wxBoxSizer(wxHORIZONTAL);
        top->Add(area_, 1, wxEXPAND | wxALL, 6);
        top->Add(buttons, 0, wxALL, 6);
        SetSizerAndFit(top);
        SetEscapeId(PREVIEW_CLOSE);
        Bind(wxEVT_BUTTON, &PreviewDialog::OnButton, this);
        state_.count = job_.page_count(page_pixels(), page_ppi());
        Refresh_();
    }

private:
    // The page has the paper and orientation the printer settings name.
    wxSize page_pixels() const {
        const wxSize area = area_->GetClientSize();
        const double scale = std::min(area.x / inches_.x, area.y / inches_.y);
        return wxSize(std::max(1, int(inches_.x * scale)), std::max(1, int(inches_.y * scale)));
    }
    int page_ppi() const { return std::max(1, int(page_pixels().y / inches_.y)); }

    void Refresh_() {
        text_->SetLabel(wxString::FromUTF8(preview_page_text(state_)));
        prev_->Enable(state_.page > 1);
        next_->Enable(state_.page < state_.count);
        area_->Refresh();
    }

    void OnButton(wxCommandEvent& event) {
        if (!print_preview_command(&state_, event.GetId())) return;
        if (state_.closed) {
            EndModal(PREVIEW_CLOSE);
            return;
        }
        Refresh_();
    }

    void OnPaintArea(wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(area_);
        dc.SetBackground(*wxGREY_BRUSH);
        dc.Clear();
        const wxSize page = page_pixels();
        wxBitmap bitmap(page);
        {
            wxMemoryDC mdc(bitmap);
            mdc.SetBackground(*wxWHITE_BRUSH);
            mdc.Clear();
            job_.draw_page(mdc, state_.page, page, page_ppi());
        }
        const wxSize area = area_->GetClientSize();
        dc.DrawBitmap(bitmap, (area.x - page.x) / 2, (area.y - page.y) / 2);
    }

    PrintJob& job_;
    wxRealPoint inches_;
    PreviewState state_;
    wxPanel* area_;
    wxButton* prev_;
    wxButton* next_;
    wxStaticText* text_;
};

}  // namespace

bool print_preview_command(PreviewState* state, int id) {
    switch (id) {
        case PREVIEW_CLOSE: state->closed = true; return true;
        case PREVIEW_PREV:
            if (state->page <= 1) return false;
            --state->page;
            return true;
        case PREVIEW_NEXT:
            if (state->page >= state->count) return false;
            ++state->page;
            return true;
        default: return false;
    }
}

std::string preview_page_text(const PreviewState& state) {
    char text[48];
    std::snprintf(text, sizeof text, "Page %d of %d", state.page, state.count);
    return text;
}

void print_preview_proc(wxWindow* parent, PrintJob& job) {
    PreviewDialog dialog(parent, job);
    dialog.CentreOnParent();
    // Open, it is found by its window; a second opening brings it forward.
    res_dialog_opened(RES_PRINT_PREVIEW, &dialog);
    ask_modal(&dialog);
    res_dialog_closed(&dialog);
}
