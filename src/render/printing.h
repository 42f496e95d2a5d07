#pragma once
// Printing through the wx printing framework: a print job is a number of
// pages and a way to draw page n into a device context of a given size; one
// printout class serves every job, the print preview draws the same pages.
//
// Two kinds of job: sheets (one page per sheet, the sheet fitted to the
// page, or at its true size times PVIS_SCAL when PRINT_AUTOFIT is off and it
// fits), drawn with the PRINT_VIS_* visibility and, unless the printer
// setting LOGPRINT_COLOR asks for colour (2), in black; and text reports
// (lines of a text file, paginated in a fixed-pitch font).
#include <string>
#include <vector>

#include <wx/dc.h>
#include <wx/print.h>

struct Schema;
class wxWindow;

class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual std::string title() const = 0;
    // Pages for a page of width x height pixels at `ppi` pixels per inch.
    virtual int page_count(wxSize page, int ppi) = 0;
    // Draws page 1..count into dc, whose drawable area is `page` pixels.
    virtual void draw_page(wxDC& dc, int page, wxSize size, int ppi) = 0;
};

// One page per sheet; the sheets stay the caller's.
class SheetPrintJob : public PrintJob {
public:
    SheetPrintJob(std::string title, std::vector<Schema*> sheets);
    std::string title() const override { return title_; }
    int page_count(wxSize page, int ppi) override;
    void draw_page(wxDC& dc, int page, wxSize size, int ppi) override;

private:
    std::string title_;
    std::vector<Schema*> sheets_;
};

// The lines of a text, in pages.
class TextPrintJob : public PrintJob {
public:
    TextPrintJob(std::string title, const std::string& text);
    // Reads a text file; false when it cannot be read (the job is empty).
    bool load(const std::string& path);
    std::string title() const override { return title_; }
    int page_count(wxSize page, int ppi) override;
    void draw_page(wxDC& dc, int page, wxSize size, int ppi) override;
    // Lines that fit on a page of that height.
    static int lines_per_page(int height, int ppi);

private:
    std::string title_;
    std::vector<std::string> lines_;
};

// Draws page `page` of the job into dc and asks the context whether it
// took all of it (a cairo context in an error state drops everything that
// comes after): 0, or 90 with the context's own message in *message.
int draw_checked_page(PrintJob& job, wxDC& dc, int page, wxSize size, int ppi,
                      std::string* message);

// The framework's printout over a job. A page the context could not draw
// whole ends the print (OnPrintPage answers false) and is kept as the
// failure.
class JobPrintout : public wxPrintout {
public:
    explicit JobPrintout(PrintJob& job);
    bool OnPrintPage(int page) override;
    bool HasPage(int page) override;
    void GetPageInfo(int* min_page, int* max_page, int* from, int* to) override;
    // The page that could not be drawn (0: none) and the context's message.
    int failed_page() const { return failed_page_; }
    const std::string& failure() const { return failure_; }

private:
    wxSize page_size() const;
    PrintJob& job_;
    int failed_page_ = 0;
    std::string failure_;
};

// Prints with the platform's print dialog; false when cancelled or failed
// (a failure is reported in a message box: a page that could not be drawn
// whole by its code 90 and the context's message).
bool print_job(wxWindow* parent, PrintJob& job);
// Writes the job as a PostScript file (A4 portrait, 600 pixels per inch);
// false when the file cannot be written or a page not drawn whole.
bool print_job_to_postscript(PrintJob& job, const std::string& path);
