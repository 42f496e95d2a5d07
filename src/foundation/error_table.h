#pragma once
// The error table: every message code with its message and its detail
// format. A constant table in a header, so that the compiler checks each
// box's arguments against the detail they fill (foundation/errors.h).
#include <cstdint>

struct ErrorEntry {
    int32_t code;
    const char* message;  // static text, not owned; never null; may be empty
    const char* detail;   // static printf format, not owned; never null; may be empty
};

// Row 0 is the fallback for unknown codes and is never found by a search.
// Texts are the program's own, kept as users have always seen them.
inline constexpr ErrorEntry error_table[] = {
    {0, "Unknow Index!!", ""},
    {-1, "Generic error.", ""},
    {0, "No error", ""},
    {1, "Cannot open file for reading", "\n(File %s)"},
    {2, "File error", "\n(File %s)"},
    {3, "Open error", "\n(File %s)"},
    {4, "Seek error", "\n(File %s)"},
    {5, "Read error", "\n(File %s)"},
    {6, "Write error", "\n(File %s)"},
    {7, "Close error", "\n(File %s)"},
    {8, "Syntax error in file", "\n(File %s)"},
    {9, "No memory", ""},
    {10, "Part not found", "\n(Module %s)"},
    {11, "This function is not available yet", ""},
    {12, "This Part will be replaced in the\n", "specified Library. Ok to Continue ?"},
    {13, "This Part will be appended to the\n", "specified Library. Ok to Continue ?"},
    {14, "This Name already exists for another Part\n", "Ok to Replace ?"},
    {40, "Configuration has been changed !\n", "Ok to Save it ?"},
    {50, "Cannot create file ", "\n(File %s)"},
    {51, "No such file ", "\n(File %s)"},
    {52, "Bad record in config ", "\n(Value 0x%2x)"},
    {53, "Bad config file ", "\n(File %s)"},
    {54, "File exist. Overwrite ?", "\n(File %s)"},
    {55, "No Memory!", ""},
    {56, "No Room for Name entry!", ""},
    {57, "Sheet Stack overflow", ""},
    {58, "Already at top level", ""},
    {59, "Configuration Already exist", "\n(File %s)"},
    {60, "Bad Configuration file.", "\n(File %s)"},
    {61, "Bad record in configuration", "\n(Record 0x%x)"},
    {62, "Library already Exist.", "\n(Lib %s)"},
    {63, "Library not Found.", "\n(Lib %s)"},
    {64, "Syntax Error in Library.", "\n(File %s)"},
    {65, "Not a Schematic.", "\n(File %s)"},
    {66, "Not a Binary Netlist.", "\n(File %s)"},
    {67, "Netlist is Partialy linked.", "\n(File %s)"},
    {68, "No Schematic Loaded.", "\n(File %s)"},
    {69, "Premature EOF", "\n(File %s)"},
    {70, "No such Part", "\n(Part %s)"},
    {71, "No such Part. Ok to Create ?", "\n(Part %s)"},
    {72, "Text not found", ""},
    {73, "No Items in the Window", ""},
    {74, "Indirect reference to a NULL Vector.\n", ""},
    {75, "Indirect reference makes a loop.\n", ""},
    {76, "Indirect reference to a NULL Vector.\n", "Internal Error."},
    {77, "Indirect reference makes a loop.\n", "Internal Error."},
    {78, "Pins not found", "\n(Part %s, Pins %s & %s)"},
    {79, "Different Pins types", "\n(Part %s, Pins %s & %s)"},
    {80, "Different Pins shapes", "\n(Part %s, Pins %s & %s)"},
    {81, "No File Specified.", ""},
    {82, "Click inside a Sheet!", ""},
    {83, "Invalid Label!", ""},
    {84, "Invalid File Name:\n", "%s"},
    {85, "Sheet not found:\n", "%s"},
    {86, "Sheets left half saved by a stopped run:\n", "%s"},
    {87, "Not written: a file of another kind, or a link out of the project:\n", "%s"},
    {88, "The files will be Overwritten", "\n(Sheets %d)"},
    {89, "The files will be Overwritten",
     "\n(Sheets %d)\nOutside the folder of the root sheet:\n%s"},
    {90, "The page could not be drawn: it was left blank", "\n(Page %d: %s)"},
    {1001, "", ""},
    {1002, "", ""},
    {20000, "", "Sheet %s\nYou have unsaved edits.\nAre you sure you want to Quit?"},
    {20001, "", "Are you sure you want to Quit?"},
    {20002, "", "Sheet %s\nYou have unsaved edits.\nConfirm to Initialize."},
    {20003, "", "Confirm to Initialize."},
    {20004, "", "You have unsaved edits.\nConfirm to Initialize\nand discard entered sheets"},
    {20005, "", "Confirm to Initialize\nand discard entered sheets"},
    {20006, "", "File %s Exists.\nOverwrite?"},
    {20007, "", "Sheet %s\nYou have unsaved edits.\nConfirm to leave sheet"},
    {20008, "", "Sheet %s\nYou have unsaved edits.\nConfirm to enter new sheet"},
    {20009, "", "Sheet %s\nYou have unsaved edits.\nConfirm to load new file"},
    {30000, "", "Sheet %s\nThere is unsaved edits.\nAbandon them?"},
    {40000, "Netlist are differents", ""},
    {40001, "Pin not found", ""},
    {40002, "Pin not connected generating\n", "%s  (Module=%s, Pin=%s)"},
    {40003, "Pin Reference is not a Number", ""},
    {40004, "Net Appears in First but not in Second Netlist", ""},
    {40005, "Net Appears in Second but not in First Netlist", ""},
    {40006, "Syntax Error Reading Netlist", ""},
    {40007, "ERC Reports some Errors/Warnings.\nOk to Continue ?", ""},
    {40008, "You are trying to stack some pins.\nOk to Continue ?", ""},
    {40009, "Reference used by two Parts generating\n", "%s  (Module=%s, Nets=%s & %s)"},
    {40010, "Pin on two Nets generating\n", "%s  (Module=%s, Pin=%s, Nets=%s & %s)"},
    {50000, "This Part has no Vector Definition", ""},
    {50001, "Place Body First !!!", ""},
    {50002, "Deleteting this name will Delete the Part", "\nOk to Continue ?"},
    {50003, "You have unsaved edits.\nOk to lose them ?", ""},
    {50004, "Converted Form exist for this Part.\nOk to loose it ?", ""},
    {50005, "You will loose some Device Definition.\nOk to continue ?", ""},
    {50006, "Some Pins are not on the body\n. Ok to lose them ?", ""},
    {50007, "Cannot do it with Pin(s).", ""},
    {50008, "Some of the references are Duplicated:", "\n%s\n(%s)"},
    {50009, "Place Edges First !!!", ""},
    {50010, "Ok to remove existing Title Block ?", ""},
    {50100, "This Directory does not Exist.\n Ok to Create it ?", ""},
    {50101, "Some specified Directories does not Exist.", ""},
    {50102, "Cannot create this directory\n", "%s"},
    {50103, "Cannot write Initialization File", ""},
    {50104, "Save first\n", "%s\nbefore running %s"},
    {50105, "Some sheets are not (or partialy) Annoted\n", "(Look at Log File)"},
    {50106, "Some References appears more than once\n", "(Look at Log File)"},
    {60002, "Change Paper", ""},
    {60022, "This image file has been modified\nOk to save it ?\n", "%s"},
    {60023, "This image file cannot be read (Invalid Format)\n", "%s"},
};
inline constexpr int error_table_rows =
    static_cast<int>(sizeof error_table / sizeof error_table[0]);

// The first row from the second onwards whose code equals `code`; the
// fallback row when none does.
constexpr const ErrorEntry* error_find(int code) {
    for (int i = 1; i < error_table_rows; ++i)
        if (error_table[i].code == code) return &error_table[i];
    return &error_table[0];
}
