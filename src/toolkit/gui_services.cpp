#include "toolkit/gui_services.h"

#include <wx/app.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "foundation/services.h"

long wx_style_from_box_style(int style) {
    long wx = 0;
    if (style & MB_YES_NO) wx |= wxYES_NO;
    else if (style & MB_OK_BUTTON) wx |= wxOK;
    if (style & MB_CANCEL_BUTTON) wx |= wxCANCEL;
    if (style & MB_ICON_EXCLAMATION) wx |= wxICON_EXCLAMATION;
    else if (style & MB_ICON_STOP) wx |= wxICON_HAND;
    else if (style & MB_ICON_QUESTION) wx |= wxICON_QUESTION;
    else if (style & MB_ICON_INFORMATION) wx |= wxICON_INFORMATION;
    if (!(wx & (wxOK | wxYES_NO))) wx |= wxOK;
    return wx;
}

int box_answer_from_wx(int wx_answer) {
    switch (wx_answer) {
        case wxYES: return ANSWER_YES;
        case wxNO: return ANSWER_NO;
        case wxCANCEL: return ANSWER_CANCEL;
        default: return ANSWER_OK;
    }
}

void install_gui_services() {
    Services s;
    s.message_box = [](const char* text, const char* caption, int style) {
        int answer = wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption),
                                  wx_style_from_box_style(style) | wxCENTRE);
        return box_answer_from_wx(answer);
    };
    s.bell = [] { wxBell(); };
    install_services(s);
}
