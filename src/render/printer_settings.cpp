#include "render/printer_settings.h"

#include <algorithm>
#include <memory>
#include <string>

#include <wx/paper.h>
#include <wx/printdlg.h>

#include "foundation/properties.h"

namespace {

// The printer record's paper numbers (their position in the table plus one)
// and the framework's papers.
constexpr wxPaperSize PAPERS[] = {
    wxPAPER_LETTER,
    wxPAPER_LETTERSMALL,
    wxPAPER_TABLOID,
    wxPAPER_LEDGER,
    wxPAPER_LEGAL,
    wxPAPER_STATEMENT,
    wxPAPER_EXECUTIVE,
    wxPAPER_A3,
    wxPAPER_A4,
    wxPAPER_A4SMALL,
    wxPAPER_A5,
    wxPAPER_B4,
    wxPAPER_B5,
    wxPAPER_FOLIO,
    wxPAPER_QUARTO,
    wxPAPER_10X14,
    wxPAPER_11X17,
    wxPAPER_NOTE,
    wxPAPER_ENV_9,
    wxPAPER_ENV_10,
    wxPAPER_ENV_11,
    wxPAPER_ENV_12,
    wxPAPER_ENV_14,
    wxPAPER_CSHEET,
    wxPAPER_DSHEET,
    wxPAPER_ESHEET,
    wxPAPER_ENV_DL,
    wxPAPER_ENV_C5,
    wxPAPER_ENV_C3,
    wxPAPER_ENV_C4,
    wxPAPER_ENV_C6,
    wxPAPER_ENV_C65,
    wxPAPER_ENV_B4,
    wxPAPER_ENV_B5,
    wxPAPER_ENV_B6,
    wxPAPER_ENV_ITALY,
    wxPAPER_ENV_MONARCH,
    wxPAPER_ENV_PERSONAL,
    wxPAPER_FANFOLD_US,
    wxPAPER_FANFOLD_STD_GERMAN,
    wxPAPER_FANFOLD_LGL_GERMAN,
};
constexpr int PAPER_COUNT = int(sizeof PAPERS / sizeof PAPERS[0]);

// Print qualities of the record: -1 draft .. -4 high; the framework counts
// the other way (-1 high .. -4 draft). Positive values are resolutions in
// both.
int quality_swap(int quality) { return quality < 0 && quality >= -4 ? -5 - quality : quality; }

// Duplex: record 1 simplex, 2 vertical, 3 horizontal.
wxDuplexMode duplex_from_record(int value) {
    return value == 2 ? wxDUPLEX_VERTICAL : value == 3 ? wxDUPLEX_HORIZONTAL : wxDUPLEX_SIMPLEX;
}
int duplex_to_record(wxDuplexMode mode) {
    return mode == wxDUPLEX_VERTICAL ? 2 : mode == wxDUPLEX_HORIZONTAL ? 3 : 1;
}

// Paper sources: the record's bins 1..11 are the framework's in order;
// 14 and 15 are the cassette and the form source.
wxPrintBin bin_from_record(int value) {
    if (value >= 1 && value <= 11) return wxPrintBin(value);
    if (value == 14) return wxPRINTBIN_CASSETTE;
    if (value == 15) return wxPRINTBIN_FORMSOURCE;
    return wxPRINTBIN_DEFAULT;
}
int bin_to_record(wxPrintBin bin) {
    if (bin >= 1 && bin <= 11) return int(bin);
    if (bin == wxPRINTBIN_CASSETTE) return 14;
    if (bin == wxPRINTBIN_FORMSOURCE) return 15;
    return 0;
}

// Sizes of the record are in tenths of a millimetre.
wxSize paper_mm(wxPaperSize id) {
    const wxSize tenths = wxThePrintPaperDatabase ? wxThePrintPaperDatabase->GetSize(id) : wxSize();
    return wxSize(tenths.x / 10, tenths.y / 10);
}

std::unique_ptr<wxPrintData>& session() {
    static std::unique_ptr<wxPrintData> data;
    return data;
}

}  // namespace

wxPrintData print_data_from_properties() {
    wxPrintData data;
    const int32_t fields = proper_get(LOGPRINT_FIELD);
    std::string device = strproper_get(DEVNAMES_DEVICE) ? strproper_get(DEVNAMES_DEVICE) : "";
    if (device.empty() && strproper_get(LOGPRINT_DEVICE_NAME))
        device = strproper_get(LOGPRINT_DEVICE_NAME);
    if (!device.empty()) data.SetPrinterName(wxString::FromUTF8(device));
    if (fields & PRINTER_FIELD_ORIENTATION)
        data.SetOrientation(proper_get(LOGPRINT_ORIENT) == 2 ? wxLANDSCAPE : wxPORTRAIT);
    const int paper = proper_get(LOGPRINT_PAPERS);
    if ((fields & PRINTER_FIELD_PAPER_SIZE) && paper >= 1 && paper <= PAPER_COUNT) {
        data.SetPaperId(PAPERS[paper - 1]);
        data.SetPaperSize(paper_mm(PAPERS[paper - 1]));
    } else if ((fields & PRINTER_FIELD_PAPER_LENGTH) && (fields & PRINTER_FIELD_PAPER_WIDTH) &&
               proper_get(LOGPRINT_PAPERW) > 0 && proper_get(LOGPRINT_PAPERL) > 0) {
        // A paper of its own size.
        data.SetPaperId(wxPAPER_NONE);
        data.SetPaperSize(
            wxSize(proper_get(LOGPRINT_PAPERW) / 10, proper_get(LOGPRINT_PAPERL) / 10));
    }
    if ((fields & PRINTER_FIELD_COPIES) && proper_get(LOGPRINT_COPIES) > 0)
        data.SetNoCopies(proper_get(LOGPRINT_COPIES));
    if (fields & PRINTER_FIELD_SOURCE) data.SetBin(bin_from_record(proper_get(LOGPRINT_DEFAULT)));
    if (fields & PRINTER_FIELD_QUALITY) data.SetQuality(quality_swap(proper_get(LOGPRINT_QUALITY)));
    if (fields & PRINTER_FIELD_DUPLEX)
        data.SetDuplex(duplex_from_record(proper_get(LOGPRINT_DUPLEX)));
    if (fields & PRINTER_FIELD_COLLATE) data.SetCollate(proper_get(LOGPRINT_COLLATE) == 1);
    // Sheets print in colour only on a colour setting (2), whatever the
    // field mask says: the data must say what the sheets will look like.
    data.SetColour(proper_get(LOGPRINT_COLOR) == 2);
    return data;
}

void print_data_to_properties(const wxPrintData& data) {
    int32_t fields = PRINTER_FIELD_ORIENTATION | PRINTER_FIELD_COPIES | PRINTER_FIELD_SOURCE |
                     PRINTER_FIELD_QUALITY | PRINTER_FIELD_COLOUR | PRINTER_FIELD_DUPLEX |
                     PRINTER_FIELD_COLLATE;
    int paper = 0;
    for (int i = 0; i < PAPER_COUNT; ++i)
        if (PAPERS[i] == data.GetPaperId()) paper = i + 1;
    wxSize size = data.GetPaperSize();
    if (paper) {
        fields |= PRINTER_FIELD_PAPER_SIZE;
        size = paper_mm(data.GetPaperId());
    }
    int32_t length = 0, width = 0;
    if (size.x > 0 && size.y > 0) {
        fields |= PRINTER_FIELD_PAPER_LENGTH | PRINTER_FIELD_PAPER_WIDTH;
        width = std::min(size.x * 10, 32767);
        length = std::min(size.y * 10, 32767);
    }
    // The record's device name holds 31 characters; the full name goes to
    // the 127 of the device names.
    const std::string device = data.GetPrinterName().ToStdString(wxConvUTF8);
    proper_set(
        LOGPRINT_DEVICE_NAME, device.substr(0, 31), DEVNAMES_DEVICE, device.substr(0, 127),
        LOGPRINT_FIELD, fields, LOGPRINT_ORIENT, data.GetOrientation() == wxLANDSCAPE ? 2 : 1,
        LOGPRINT_PAPERS, paper, LOGPRINT_PAPERL, length, LOGPRINT_PAPERW, width, LOGPRINT_COPIES,
        std::clamp(data.GetNoCopies(), 1, 32767), LOGPRINT_DEFAULT, bin_to_record(data.GetBin()),
        LOGPRINT_QUALITY, std::clamp(quality_swap(data.GetQuality()), -32768, 32767),
        LOGPRINT_COLOR, data.GetColour() ? 2 : 1, LOGPRINT_DUPLEX,
        duplex_to_record(data.GetDuplex()), LOGPRINT_COLLATE, data.GetCollate() ? 1 : 0, 0);
}

wxSize print_data_page_mm(const wxPrintData& data) {
    wxSize mm =
        data.GetPaperId() != wxPAPER_NONE ? paper_mm(data.GetPaperId()) : data.GetPaperSize();
    if (mm.x <= 0 || mm.y <= 0) mm = wxSize(210, 297);
    if (data.GetOrientation() == wxLANDSCAPE) std::swap(mm.x, mm.y);
    return mm;
}

wxPrintData& session_print_data() {
    if (!session()) session() = std::make_unique<wxPrintData>(print_data_from_properties());
    return *session();
}

void set_session_print_data(const wxPrintData& data) {
    session_print_data() = data;
    print_data_to_properties(data);
}

void reset_session_print_data() { session().reset(); }

bool print_setup(wxWindow* parent) {
    wxPageSetupDialogData setup(session_print_data());
    // The sheets bring their own margins.
    setup.EnableMargins(false);
    wxPageSetupDialog dialog(parent, &setup);
    if (dialog.ShowModal() != wxID_OK) return false;
    wxPrintData chosen = dialog.GetPageSetupDialogData().GetPrintData();
    // No dialog here offers colour: keep the configured choice.
    chosen.SetColour(session_print_data().GetColour());
    set_session_print_data(chosen);
    return true;
}
