#include "toolkit/asking.h"

#include <algorithm>

#include <wx/colordlg.h>
#include <wx/filedlg.h>
#include <wx/fontdlg.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/weakref.h>

#include "foundation/core.h"
#include "foundation/services.h"
#include "toolkit/file_selectors.h"
#include "toolkit/gui_services.h"

namespace {

// The script that answers questions, and the dialogs whose modal loops it
// runs, innermost last.
struct Script {
    AskScript* script = nullptr;
    std::vector<const wxDialog*> driven;
} scripting;
// The dialogs whose modal loops a script runs, innermost last.

using Kind = AskScript::Kind;

// The scripted answer of the question, or none when no script is in force.
// A script without an answer of the kind reports the question and answers
// it as cancelled.
std::optional<AskScript::Answer> scripted(Kind kind, const std::string& text,
                                          const std::string& caption = {},
                                          const std::string& value = {}) {
    if (!scripting.script) return std::nullopt;
    AskScript::Question question{kind, text, caption, value};
    if (auto answer = scripting.script->take(question)) return answer;
    if (scripting.script->on_unanswered) scripting.script->on_unanswered(question);
    AskScript::Answer cancelled{kind};
    cancelled.cancelled = true;
    return cancelled;
}

std::string filter_text(const FileRequest& request) {
    // A single unnamed filter is its wildcard.
    if (request.filters.size() == 1 && request.filters[0].name.empty() &&
        !request.filters[0].wildcard.empty())
        return request.filters[0].wildcard;
    std::vector<const char*> wildcards, names;
    for (const FileFilter& f : request.filters) {
        wildcards.push_back(f.wildcard.c_str());
        names.push_back(f.name.c_str());
    }
    return filesel_filter_text(static_cast<int>(request.filters.size()), wildcards.data(),
                               names.data());
}

// A saved name without a suffix takes the default one.
void add_default_extension(const FileRequest& request, std::string* path) {
    if (!(request.flags & FILE_SELECT_SAVE) || request.default_extension.empty()) return;
    size_t slash = path->find_last_of('/');
    size_t dot = path->rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return;
    if (request.default_extension[0] != '.') *path += '.';
    *path += request.default_extension;
}

}  // namespace

int ask_message(const char* text, const char* caption, int style, wxWindow* parent) {
    if (auto answer = scripted(Kind::MESSAGE, text ? text : "", caption ? caption : "")) {
        if (!answer->cancelled) return answer->number;
        // Unanswered: the box's default button.
        return (style & MB_YES_NO) ? ANSWER_YES : ANSWER_OK;
    }
    int wx = wxMessageBox(wxString::FromUTF8(text ? text : ""),
                          wxString::FromUTF8(caption ? caption : ""),
                          wx_style_from_box_style(style) | wxCENTRE, parent);
    return box_answer_from_wx(wx);
}

bool ask_file(const FileRequest& request, FileAnswer* answer) {
    const int count = static_cast<int>(request.filters.size());
    const int index = count > 0 ? std::clamp(request.filter_index, 0, count - 1) : 0;
    std::string dir = request.directory;
    if (count > 0 && !request.filters[index].directory.empty())
        dir = request.filters[index].directory;
    // Stored directories may carry DOS separators.
    std::replace(dir.begin(), dir.end(), '\\', '/');
    if (auto scripted_answer = scripted(Kind::FILE, request.message, filter_text(request), dir)) {
        if (scripted_answer->cancelled) return false;
        answer->path = scripted_answer->text;
        add_default_extension(request, &answer->path);
        answer->filter_index = scripted_answer->number;
        return true;
    }
    wxFileDialog dialog(
        request.parent, wxString::FromUTF8(request.message), wxString::FromUTF8(dir),
        wxString::FromUTF8(request.default_name), wxString::FromUTF8(filter_text(request)),
        wx_style_from_file_flags(request.flags),
        request.x >= 0 && request.y >= 0 ? wxPoint(request.x, request.y) : wxDefaultPosition);
    if (count > 0) dialog.SetFilterIndex(index);
    if (dialog.ShowModal() != wxID_OK) return false;
    answer->path = dialog.GetPath().utf8_string();
    if (answer->path.empty()) return false;
    add_default_extension(request, &answer->path);
    answer->filter_index = count > 0 ? dialog.GetFilterIndex() : 0;
    return true;
}

bool ask_text(wxWindow* parent, const char* message, const char* caption, std::string* value) {
    if (auto answer =
            scripted(Kind::TEXT, message ? message : "", caption ? caption : "", *value)) {
        if (answer->cancelled) return false;
        *value = answer->text;
        return true;
    }
    wxTextEntryDialog dialog(parent, wxString::FromUTF8(message ? message : ""),
                             wxString::FromUTF8(caption ? caption : ""),
                             wxString::FromUTF8(*value));
    if (dialog.ShowModal() != wxID_OK) return false;
    *value = dialog.GetValue().utf8_string();
    return true;
}

bool ask_font(wxWindow* parent, wxFontData* data) {
    if (auto answer = scripted(Kind::FONT, "Font")) {
        if (answer->cancelled) return false;
        data->SetChosenFont(answer->font);
        return true;
    }
    wxFontDialog dialog(parent, *data);
    if (dialog.ShowModal() != wxID_OK) return false;
    *data = dialog.GetFontData();
    return true;
}

bool ask_colour(wxWindow* parent, wxColourData* data) {
    if (auto answer = scripted(Kind::COLOUR, "Colour")) {
        if (answer->cancelled) return false;
        data->SetColour(answer->colour);
        return true;
    }
    wxColourDialog dialog(parent, data);
    if (dialog.ShowModal() != wxID_OK) return false;
    *data = dialog.GetColourData();
    return true;
}

int ask_modal(wxDialog* dialog) {
    if (!dialog) return wxID_CANCEL;
    if (auto answer = scripted(Kind::MODAL, dialog->GetTitle().utf8_string())) {
        if (answer->cancelled) return wxID_CANCEL;
        // The action runs once the modal loop has started, with the dialog
        // on the screen; it may close (and destroy) the dialog.
        wxWeakRef<wxDialog> alive(dialog);
        dialog->CallAfter([alive, action = answer->action]() mutable {
            if (alive) action(*alive);
            if (alive && alive->IsModal()) alive->EndModal(wxID_CANCEL);
        });
        scripting.driven.push_back(dialog);
        int result = dialog->ShowModal();
        scripting.driven.pop_back();
        return result;
    }
    return dialog->ShowModal();
}

// --- the script -------------------------------------------------------------------------

AskScript::AskScript() {
    TN_ASSERT(!scripting.script);
    scripting.script = this;
}

AskScript::~AskScript() { scripting.script = nullptr; }

void AskScript::message(int answer) {
    Answer a{Kind::MESSAGE};
    a.number = answer;
    answers_.push_back(a);
}

void AskScript::file(const std::string& path, int filter_index) {
    Answer a{Kind::FILE};
    a.text = path;
    a.number = filter_index;
    answers_.push_back(a);
}

void AskScript::text(const std::string& value) {
    Answer a{Kind::TEXT};
    a.text = value;
    answers_.push_back(a);
}

void AskScript::font(const wxFont& font) {
    Answer a{Kind::FONT};
    a.font = font;
    answers_.push_back(a);
}

void AskScript::colour(const wxColour& colour) {
    Answer a{Kind::COLOUR};
    a.colour = colour;
    answers_.push_back(a);
}

void AskScript::cancel(Kind kind) {
    Answer a{kind};
    a.cancelled = true;
    answers_.push_back(a);
}

void AskScript::modal(std::function<void(wxDialog&)> action) {
    Answer a{Kind::MODAL};
    a.action = std::move(action);
    answers_.push_back(a);
}

std::optional<AskScript::Answer> AskScript::take(const Question& question) {
    asked_.push_back(question);
    auto it = std::find_if(answers_.begin(), answers_.end(),
                           [&](const Answer& a) { return a.kind == question.kind; });
    if (it == answers_.end()) return std::nullopt;
    Answer answer = std::move(*it);
    answers_.erase(it);
    return answer;
}

AskScript* ask_script() { return scripting.script; }

bool ask_script_drives(const wxDialog* dialog) {
    return std::find(scripting.driven.begin(), scripting.driven.end(), dialog) !=
           scripting.driven.end();
}
