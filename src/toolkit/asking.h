#pragma once
// The one door through which the program asks the user anything: message
// boxes, the file, font and colour choosers, text entries, and every modal
// dialog of its own. Nothing else opens such a window, so that a test can
// install an AskScript and answer each question in order (or act inside a
// modal dialog of ours through its real controls) without a user.
//
// Without a script each call shows the toolkit's own dialog. Answers keep
// the program's numbers (ANSWER_* and FILE_SELECT_* of foundation/services.h).
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <wx/colour.h>
#include <wx/font.h>

class wxColourData;
class wxDialog;
class wxFontData;
class wxWindow;

// One named filter of a file chooser; an empty directory means the
// request's own.
struct FileFilter {
    std::string name;      // shown as "%s (%s)" with the wildcard; may be empty
    std::string wildcard;  // "*.sch"; empty means every file
    std::string directory;
};

struct FileRequest {
    std::string message;
    std::string directory;
    std::string default_name;
    std::string default_extension;    // added to a saved name without a suffix
    std::vector<FileFilter> filters;  // none: every file
    int filter_index = 0;             // the filter shown first
    int flags = 0;                    // FILE_SELECT_*
    wxWindow* parent = nullptr;
    int x = -1, y = -1;  // negative: centred on the parent
};

struct FileAnswer {
    std::string path;
    int filter_index = 0;  // the filter the user chose
};

// A message box: ANSWER_OK, ANSWER_CANCEL, ANSWER_YES or ANSWER_NO.
int ask_message(const char* text, const char* caption, int style, wxWindow* parent = nullptr);
// A file chooser; false when the user cancelled.
bool ask_file(const FileRequest& request, FileAnswer* answer);
// A one-line text entry starting from *value; false when cancelled (and
// *value is then unchanged).
bool ask_text(wxWindow* parent, const char* message, const char* caption, std::string* value);
// The font chooser starting from data's initial font; on OK data holds the
// chosen one. False when cancelled.
bool ask_font(wxWindow* parent, wxFontData* data);
// The colour chooser starting from data's colour; on OK data holds the
// chosen one. False when cancelled.
bool ask_colour(wxWindow* parent, wxColourData* data);
// Runs a modal dialog of the program to its end; its return code.
int ask_modal(wxDialog* dialog);

// Scripted answers for tests. While one lives, every question above takes
// the next answer of its kind instead of showing a window; a question with
// no answer left is recorded, reported to on_unanswered and answered as
// cancelled (a message box: its default button). One script at a time.
class AskScript {
public:
    enum class Kind { MESSAGE, FILE, TEXT, FONT, COLOUR, MODAL };
    struct Question {
        Kind kind;
        std::string text;     // message, chooser message or dialog title
        std::string caption;  // box caption; the file chooser's wildcards
        std::string value;    // the text entry's or file chooser's start
    };

    AskScript();
    ~AskScript();
    AskScript(const AskScript&) = delete;
    AskScript& operator=(const AskScript&) = delete;

    void message(int answer);
    void file(const std::string& path, int filter_index = 0);
    void text(const std::string& value);
    void font(const wxFont& font);
    void colour(const wxColour& colour);
    // The next question of that kind is cancelled.
    void cancel(Kind kind);
    // Runs inside the next modal dialog's own loop, with the dialog shown;
    // when it returns and the dialog is still modal, the dialog is ended
    // with wxID_CANCEL.
    void modal(std::function<void(wxDialog& dialog)> action);

    const std::vector<Question>& asked() const { return asked_; }
    // Answers not taken yet.
    size_t pending() const { return answers_.size(); }
    std::function<void(const Question& question)> on_unanswered;

    // Used by the ask_ functions: the next answer of the kind (recording
    // the question); none when the script holds none of that kind.
    struct Answer {
        explicit Answer(Kind k) : kind(k) {}
        Kind kind;
        bool cancelled = false;
        int number = 0;  // message answer; file filter index
        std::string text;
        wxFont font;
        wxColour colour;
        std::function<void(wxDialog&)> action;
    };
    std::optional<Answer> take(const Question& question);

private:
    std::deque<Answer> answers_;
    std::vector<Question> asked_;
};

// The script in force, or null.
AskScript* ask_script();
// True while a script runs this dialog's modal loop (a test's guard against
// unexpected dialogs lets it through).
bool ask_script_drives(const wxDialog* dialog);
