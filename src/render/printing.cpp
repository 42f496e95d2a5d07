#include "render/printing.h"

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <wx/cmndata.h>
#include <wx/dcps.h>
#include <wx/graphics.h>

#include "foundation/errors.h"
#include "foundation/file_system.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/schema.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "render/printer_settings.h"
#include "render/stroke_batch.h"

namespace {

constexpr int PAGE_NOT_DRAWN = 90;
constexpr double PAGE_MARGIN = 0.03;  // of the page, on every side, for fitted sheets
constexpr double TEXT_POINTS = 10.0;
constexpr double LINE_SPACING = 1.2;

}  // namespace

// --- sheets -------------------------------------------------------------------------------

SheetPrintJob::SheetPrintJob(std::string title, std::vector<Schema*> sheets)
    : title_(std::move(title)), sheets_(std::move(sheets)) {}

int SheetPrintJob::page_count(wxSize, int) { return static_cast<int>(sheets_.size()); }

void SheetPrintJob::draw_page(wxDC& dc, int page, wxSize size, int ppi) {
    if (page < 1 || page > static_cast<int>(sheets_.size()) || size.x < 1 || size.y < 1) return;
    Schema* schema = sheets_[page - 1];
    // The sheet, grown to whatever stands outside it.
    const Point extent = schema_sheet_extent(schema);
    Rect area{0, 0, std::max(extent.x, 1), std::max(extent.y, 1)};
    Rect drawing{};
    if (bounds_Schema(schema, &drawing)) {
        const int64_t x0 = std::min<int64_t>(area.x, drawing.x),
                      y0 = std::min<int64_t>(area.y, drawing.y);
        const int64_t x1 =
            std::max<int64_t>(int64_t{area.x} + area.w, int64_t{drawing.x} + drawing.w);
        const int64_t y1 =
            std::max<int64_t>(int64_t{area.y} + area.h, int64_t{drawing.y} + drawing.h);
        area = Rect{int32_t(x0), int32_t(y0), int32_t(std::min<int64_t>(x1 - x0, INT32_MAX)),
                    int32_t(std::min<int64_t>(y1 - y0, INT32_MAX))};
    }
    const double usable_x = size.x * (1 - 2 * PAGE_MARGIN),
                 usable_y = size.y * (1 - 2 * PAGE_MARGIN);
    double scale = std::min(usable_x / area.w, usable_y / area.h);
    if (!proper_get(PRINT_AUTOFIT)) {
        // Its true size (10000 units per inch) times the print scale, when
        // that fits on the page.
        const double natural = ppi / 10000.0 * fproper_get(PVIS_SCAL);
        if (natural > 0 && natural * area.w <= usable_x && natural * area.h <= usable_y)
            scale = natural;
    }
    const double ox =
        area.x * scale - (size.x - area.w * scale) / 2 + proper_get(PRINT_XOFF) * scale;
    const double oy =
        area.y * scale - (size.y - area.h * scale) / 2 + proper_get(PRINT_YOFF) * scale;
    DrawAdapter adapter(&dc, scale, scale, ox, oy, 0xFFFFFF);
    adapter.printing = true;
    adapter.monochrome = proper_get(LOGPRINT_COLOR) != 2;
    draw_schema(&adapter, schema, &area);
}

// --- text reports -----------------------------------------------------------------------------

TextPrintJob::TextPrintJob(std::string title, const std::string& text) : title_(std::move(title)) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(line);
    }
}

bool TextPrintJob::load(const std::string& path) {
    lines_.clear();
    std::ifstream in(system_path(path.c_str()), std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    *this = TextPrintJob(title_, all.str());
    return true;
}

int TextPrintJob::lines_per_page(int height, int ppi) {
    const double line = TEXT_POINTS * LINE_SPACING * ppi / 72.0;
    // Half an inch above and below.
    return std::max(1, static_cast<int>((height - ppi) / line));
}

int TextPrintJob::page_count(wxSize page, int ppi) {
    const int per_page = lines_per_page(page.y, ppi);
    return std::max(1, static_cast<int>((lines_.size() + per_page - 1) / per_page));
}

void TextPrintJob::draw_page(wxDC& dc, int page, wxSize size, int ppi) {
    const int per_page = lines_per_page(size.y, ppi);
    int dc_ppi = dc.GetPPI().y;
    if (dc_ppi <= 0) dc_ppi = ppi;
    // The font's size is given for the context's own resolution.
    dc.SetFont(wxFont(wxFontInfo(TEXT_POINTS * ppi / dc_ppi).Family(wxFONTFAMILY_TELETYPE)));
    dc.SetTextForeground(*wxBLACK);
    const double line = TEXT_POINTS * LINE_SPACING * ppi / 72.0;
    const size_t first = size_t(page - 1) * per_page;
    for (int i = 0; i < per_page && first + i < lines_.size(); ++i)
        dc.DrawText(wxString::FromUTF8(lines_[first + i]), ppi / 2,
                    static_cast<int>(ppi / 2 + i * line));
}

// --- the printout ------------------------------------------------------------------------------

JobPrintout::JobPrintout(PrintJob& job) : wxPrintout(wxString::FromUTF8(job.title())), job_(job) {}

wxSize JobPrintout::page_size() const {
    int w = 0, h = 0;
    GetPageSizePixels(&w, &h);
    return wxSize(w, h);
}

int draw_checked_page(PrintJob& job, wxDC& dc, int page, wxSize size, int ppi,
                      std::string* message) {
    void* cairo = dc.GetImpl() ? dc.GetImpl()->GetCairoContext() : nullptr;
    if (!cairo && dc.GetGraphicsContext()) cairo = dc.GetGraphicsContext()->GetNativeContext();
    const CairoCalls& calls = cairo_calls();
    if (!cairo || !calls.status) {
        job.draw_page(dc, page, size, ppi);
        return 0;
    }
    // On the printer the page is drawn aside first and goes onto the paper
    // only when all of it was drawn: never a part of a page.
    const bool aside = dc.GetImpl()->GetCairoContext() && calls.push_group &&
                       calls.pop_group_to_source && calls.paint;
    if (aside) calls.push_group(cairo);
    job.draw_page(dc, page, size, ppi);
    const int status = calls.status(cairo);
    if (status == 0 && aside) {
        calls.pop_group_to_source(cairo);
        calls.paint(cairo);
        // The page is cairo's source now, and the context sets a colour only
        // when it differs from the one it set last: two pens of different
        // colours leave a plain colour that the context knows.
        dc.SetPen(*wxRED_PEN);
        dc.SetPen(*wxBLACK_PEN);
    }
    if (status == 0) return 0;
    const char* text = calls.status_to_string ? calls.status_to_string(status) : nullptr;
    *message = text ? text : "cairo status " + std::to_string(status);
    return PAGE_NOT_DRAWN;
}

bool JobPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (!dc) return false;
    int ppi_x = 0, ppi_y = 0;
    GetPPIPrinter(&ppi_x, &ppi_y);
    if (draw_checked_page(job_, *dc, page, page_size(), ppi_y > 0 ? ppi_y : 72, &failure_) == 0)
        return true;
    failed_page_ = page;
    return false;
}

bool JobPrintout::HasPage(int page) {
    int ppi_x = 0, ppi_y = 0;
    GetPPIPrinter(&ppi_x, &ppi_y);
    return page >= 1 && page <= job_.page_count(page_size(), ppi_y > 0 ? ppi_y : 72);
}

void JobPrintout::GetPageInfo(int* min_page, int* max_page, int* from, int* to) {
    int ppi_x = 0, ppi_y = 0;
    GetPPIPrinter(&ppi_x, &ppi_y);
    *min_page = *from = 1;
    *max_page = *to = job_.page_count(page_size(), ppi_y > 0 ? ppi_y : 72);
}

bool print_job(wxWindow* parent, PrintJob& job) {
    wxPrintDialogData data(session_print_data());
    wxPrinter printer(&data);
    JobPrintout printout(job);
    const bool printed = printer.Print(parent, &printout, true);
    // The toolkit ends a print whose page was refused without a word.
    if (printout.failed_page()) {
        error_box(nullptr, "Error", MB_ICON_STOP, PAGE_NOT_DRAWN, printout.failed_page(),
                  printout.failure().c_str());
        return false;
    }
    if (printed) {
        // The printer and paper chosen in the dialog hold for the next job.
        wxPrintData chosen = printer.GetPrintDialogData().GetPrintData();
        chosen.SetColour(session_print_data().GetColour());
        set_session_print_data(chosen);
        return true;
    }
    if (wxPrinter::GetLastError() == wxPRINTER_ERROR)
        services().message_box("Printing failed", "Error", MB_OK_BUTTON | MB_ICON_STOP);
    return false;
}

bool print_job_to_postscript(PrintJob& job, const std::string& path) {
    // The PostScript context writes a file of its own: a private temporary
    // beside the target, then copied through the safe-write routine.
    std::string temporary = system_path(path.c_str()) + ".psXXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    close(fd);
    bool written = false;
    {
        wxPrintData data;
        data.SetFilename(wxString::FromUTF8(temporary));
        data.SetPrintMode(wxPRINT_MODE_FILE);
        data.SetPaperId(wxPAPER_A4);
        data.SetOrientation(wxPORTRAIT);
        wxPostScriptDC dc(data);
        if (dc.IsOk() && dc.StartDoc(wxString::FromUTF8(job.title()))) {
            wxSize size = dc.GetSize();
            const int ppi = dc.GetPPI().y > 0 ? dc.GetPPI().y : 72;
            const int pages = job.page_count(size, ppi);
            written = true;
            std::string failure;
            for (int page = 1; page <= pages && written; ++page) {
                dc.StartPage();
                written = draw_checked_page(job, dc, page, size, ppi, &failure) == 0;
                dc.EndPage();
            }
            dc.EndDoc();
        }
    }
    if (written) {
        std::ifstream in(temporary, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string content = bytes.str();
        written = in.good() || in.eof();
        written = written &&
                  write_atomically(
                      path.c_str(), "wb",
                      [&](FILE* f) {
                          return std::fwrite(content.data(), 1, content.size(), f) == content.size()
                                     ? 0
                                     : 6;
                      },
                      false) == 0;
    }
    std::remove(temporary.c_str());
    return written;
}
