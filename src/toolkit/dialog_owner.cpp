#include "toolkit/dialog_owner.h"

#include "toolkit/enhanced_dialog.h"

DialogOwner::~DialogOwner() { destroy_all(); }

void DialogOwner::destroy_all() {
    for (auto& [name, dialog] : slots_)
        if (dialog && !dialog->IsBeingDeleted()) dialog_release(*dialog);
}

void DialogOwner::forget() {
    for (auto& [name, dialog] : slots_) {
        if (dialog) dialog->owner_slot = nullptr;
        dialog = nullptr;
    }
}

EnhancedDialog** DialogOwner::slot(const std::string& window_name) { return &slots_[window_name]; }

EnhancedDialog* DialogOwner::find(const std::string& window_name) const {
    auto it = slots_.find(window_name);
    return it == slots_.end() ? nullptr : it->second;
}

void dialog_take_slot(EnhancedDialog* dialog, EnhancedDialog** slot) {
    *slot = dialog;
    dialog->owner_slot = slot;
}

void dialog_release(EnhancedDialog& dialog) {
    if (dialog.owner_slot && *dialog.owner_slot == &dialog) *dialog.owner_slot = nullptr;
    dialog.owner_slot = nullptr;
    dialog.Destroy();
}
