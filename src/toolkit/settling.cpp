#include "toolkit/settling.h"

#include <dlfcn.h>

#include <wx/app.h>
#include <wx/toplevel.h>

namespace {

// How often settling was asked, and the question the last idle pass followed.
struct Questions {
    unsigned long questions = 0;   // times asked
    unsigned long idle_after = 0;  // the question the last idle pass followed
} asked;

// The display layer's calls, looked up at run time: the toolkit's libraries
// are loaded, their headers are not installed.
template <typename Call>
Call display_call(const char* name) {
    return reinterpret_cast<Call>(dlsym(RTLD_DEFAULT, name));
}

// A round trip to the display server: the events it queued for this
// process before the question (input a test sent and the server took) are
// read when it returns.
void sync_display() {
    static auto display = display_call<void* (*)()>("gdk_display_get_default");
    static auto sync = display_call<void (*)(void*)>("gdk_display_sync");
    if (display && sync)
        if (void* d = display()) sync(d);
}

// Events the display layer has read or can read without waiting.
bool display_events_pending() {
    static auto pending = display_call<int (*)()>("gdk_events_pending");
    return pending && pending();
}

}  // namespace

bool toolkit_settled() {
    if (!wxTheApp) return true;
    static bool watching = false;
    if (!watching) {
        watching = true;
        wxTheApp->Bind(wxEVT_IDLE, [](wxIdleEvent& event) {
            asked.idle_after = asked.questions;
            event.Skip();
        });
    }
    sync_display();
    bool settled = asked.idle_after == asked.questions && !display_events_pending() &&
                   !wxTheApp->HasPendingEvents();
    if (settled) {
        // Paint what is invalid now, and have it on the server before anyone
        // takes a picture.
        for (wxWindow* window : wxTopLevelWindows)
            if (window->IsShown()) window->Update();
        sync_display();
        settled = !display_events_pending();
    }
    ++asked.questions;
    // The next idle pass marks the next question; it must come even when
    // nothing else happens.
    wxWakeUpIdle();
    return settled;
}
