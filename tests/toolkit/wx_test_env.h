#pragma once
// The toolkit tests drive real windows on a (virtual) display. The test
// program starts wxWidgets once for all tests (wx_test_env.cpp); a modal
// dialog that no test expects is refused and fails the test instead of
// waiting for a user.
#include <functional>

#include <wx/modalhook.h>

class wxWindow;
class wxDialog;

namespace tn_test {

// While it lives, answers every modal dialog with the given function's
// result (a wxID_* value) instead of showing it.
class ModalAnswer : public wxModalDialogHook {
public:
    explicit ModalAnswer(std::function<int(wxDialog*)> answer) : answer_(std::move(answer)) {
        Register();
    }
    int calls = 0;

protected:
    int Enter(wxDialog* dialog) override {
        ++calls;
        return answer_(dialog);
    }

private:
    std::function<int(wxDialog*)> answer_;
};

// Destroys a top-level window and lets the toolkit finish deleting it.
void destroy_window(wxWindow* window);

}  // namespace tn_test
