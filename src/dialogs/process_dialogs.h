#pragma once
// The windows of the process dialogs (their data and forms are in
// dialogs/forms/process_forms.h): building, loading and storing each of the
// fourteen, the one callback and command handler of their buttons, the
// converter's Execute state and the ERC decision matrix.
//
// Each dialog is one of the program's dialogs (the main frame owns it), built
// when it is opened, modal, and destroyed when it closes; its Execute stores the options, closes it and sends the job
// command to menu_command on the current canvas.
#include <functional>

class EditCanvas;
class EnhancedDialog;
class FlowPanel;
class FormDialog;
class wxBitmap;
class wxWindow;

// Opens the process dialog of a Tools menu command (CMD_ERC ...);
// false when the command opens none (or there is no main frame).
bool open_process_dialog(int menu_command);

// Where Execute sends its job command: menu_command, or a test's recorder.
using JobSink = std::function<void(EditCanvas* canvas, int command, long argument)>;

// The callback of every button and reacting item of the process dialogs:
// hands the item's client word to process_command.
void process_button(long client_word);
// The dispatcher of ids 20001..20099: store steps, Execute (store step,
// then the job command to the sink with the current canvas), Search, Help
// and the converter's ids. Other ids do nothing.
void process_command(long id, const JobSink& sink = {});

// The converter's Execute button follows oconv_execute_enabled.
void oconv_update_execute();

// --- the ERC matrix --------------------------------------------------------------------
// The matrix button of a cell index (column * 17 + row), the cells with
// row >= column only; null for others. Valid while the ERC dialog exists.
wxWindow* erc_cell_button(int index);
// A click on a matrix button steps its cell to the next severity.
void erc_cell_click(wxWindow* button);
// Shows the bitmap of the button's cell state.
void erc_cell_show(wxWindow* button);
// The vertical label of a column class on its column panel, and a new line.
void erc_column_label(FlowPanel* column_panel, int column_class);
// The cell state a matrix button shows (0 accepted, 1 warning, 2 error).
int erc_cell_state(wxWindow* button);
// The matrix of a new ERC dialog on its second panel; the buttons from
// ERC_TABLE; the buttons into ERC_TABLE.
void erc_build_matrix(FormDialog* dialog);
void erc_load_matrix();
void erc_store_matrix();
// The three 9 x 9 cell bitmaps, drawn on first use and kept.
const wxBitmap& ercok_bitmap();
const wxBitmap& ercwarn_bitmap();
const wxBitmap& ercerr_bitmap();
