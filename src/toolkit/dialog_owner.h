#pragma once
// The owner of a set of dialogs: the window they act on (a sheet or library
// window's canvas) or the main frame (the dialogs of the whole program).
// Each dialog has a slot of its own, named by its window name, which holds
// it while it exists: the dialog clears it when it is deleted, whoever
// deletes it, and the owner's end destroys the dialogs still open. Beside
// the slots, the owner keeps its dialogs' working state (one record of each
// type, made on first use), so that two owners never share what a dialog
// remembers.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>

class EnhancedDialog;

class DialogOwner {
public:
    DialogOwner() = default;
    DialogOwner(const DialogOwner&) = delete;
    DialogOwner& operator=(const DialogOwner&) = delete;
    // Destroys the dialogs still open, then the working state.
    ~DialogOwner();

    // Destroys the dialogs still open (without their on-close callbacks):
    // the owner's window is going.
    void destroy_all();

    // The dialogs go with the window they belong to (their parent): the
    // slots only are emptied.
    void forget();

    // The slot of the dialog with that window name; its address stays while
    // the owner lives.
    EnhancedDialog** slot(const std::string& window_name);
    // The dialog with that window name, or null while it does not exist.
    EnhancedDialog* find(const std::string& window_name) const;

    // The working state of type T of this owner's dialogs.
    template <class T>
    T& state() {
        std::shared_ptr<void>& kept = states_[std::type_index(typeid(T))];
        if (!kept) kept = std::make_shared<T>();
        return *static_cast<T*>(kept.get());
    }

private:
    std::map<std::string, EnhancedDialog*> slots_;
    std::map<std::type_index, std::shared_ptr<void>> states_;
};

// Puts the dialog in the slot and makes the slot its own (cleared when the
// dialog goes).
void dialog_take_slot(EnhancedDialog* dialog, EnhancedDialog** slot);
// Empties the dialog's slot at once and destroys the dialog (the toolkit
// deletes it when its events are done).
void dialog_release(EnhancedDialog& dialog);
