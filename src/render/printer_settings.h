#pragma once
// The printer settings of the session: one wxPrintData that printing, the
// print preview and Print Setup all read and change, so that the printer,
// paper and orientation chosen once hold for every later job.
//
// The settings start from the printer properties (the LOGPRINT_* fields,
// in the order and units of a Windows printer record, and the DEVNAMES_*
// names) and go back into them whenever the user confirms Print Setup or a
// print dialog; the property setter writes them to the INI file. Only the
// fields whose bit is set in LOGPRINT_FIELD are taken from the properties:
// a configuration that never saw a printer keeps the framework's defaults.
#include <wx/cmndata.h>
#include <wx/gdicmn.h>

class wxWindow;

// Bits of LOGPRINT_FIELD: which fields hold a value.
enum : int32_t {
    PRINTER_FIELD_ORIENTATION = 0x0001,
    PRINTER_FIELD_PAPER_SIZE = 0x0002,
    PRINTER_FIELD_PAPER_LENGTH = 0x0004,
    PRINTER_FIELD_PAPER_WIDTH = 0x0008,
    PRINTER_FIELD_COPIES = 0x0100,
    PRINTER_FIELD_SOURCE = 0x0200,
    PRINTER_FIELD_QUALITY = 0x0400,
    PRINTER_FIELD_COLOUR = 0x0800,
    PRINTER_FIELD_DUPLEX = 0x1000,
    PRINTER_FIELD_COLLATE = 0x8000,
};

// The session's settings, built from the properties on first use.
wxPrintData& session_print_data();
// Replaces the session's settings and stores them in the properties.
void set_session_print_data(const wxPrintData& data);
// Forgets the session's settings: the next use rebuilds them from the
// properties (a new configuration, tests).
void reset_session_print_data();

// The two directions between print data and the properties.
wxPrintData print_data_from_properties();
void print_data_to_properties(const wxPrintData& data);

// The page of these settings in millimetres, turned for landscape; A4 when
// the settings name no paper.
wxSize print_data_page_mm(const wxPrintData& data);

// Print Setup: the page-setup dialog over the session's settings; true
// when the user confirmed it (the settings are then stored).
bool print_setup(wxWindow* parent);
