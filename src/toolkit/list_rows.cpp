#include "toolkit/list_rows.h"

#include <dlfcn.h>

#include <algorithm>

#include <wx/arrstr.h>
#include <wx/listbox.h>

namespace {

#ifdef __WXGTK__
// The few calls of the toolkit's own library this needs, found in the
// process (the program links it through wxWidgets).
struct TreeCalls {
    void* (*get_model)(void* view) = nullptr;
    void (*set_model)(void* view, void* model) = nullptr;
    void* (*get_column)(void* view, int n) = nullptr;
    void (*set_sizing)(void* column, int sizing) = nullptr;
    void (*set_fixed_width)(void* column, int width) = nullptr;
    void (*set_expand)(void* column, int expand) = nullptr;
    void (*set_fixed_height_mode)(void* view, int enable) = nullptr;
    void* (*ref)(void* object) = nullptr;
    void (*unref)(void* object) = nullptr;
    bool ok = false;
};

template <class F>
void find(F*& call, const char* name) {
    call = reinterpret_cast<F*>(dlsym(RTLD_DEFAULT, name));
}

const TreeCalls& tree_calls() {
    static const TreeCalls calls = [] {
        TreeCalls c;
        find(c.get_model, "gtk_tree_view_get_model");
        find(c.set_model, "gtk_tree_view_set_model");
        find(c.get_column, "gtk_tree_view_get_column");
        find(c.set_sizing, "gtk_tree_view_column_set_sizing");
        find(c.set_fixed_width, "gtk_tree_view_column_set_fixed_width");
        find(c.set_expand, "gtk_tree_view_column_set_expand");
        find(c.set_fixed_height_mode, "gtk_tree_view_set_fixed_height_mode");
        find(c.ref, "g_object_ref");
        find(c.unref, "g_object_unref");
        c.ok = c.get_model && c.set_model && c.get_column && c.set_sizing && c.set_fixed_width &&
               c.set_expand && c.set_fixed_height_mode && c.ref && c.unref;
        return c;
    }();
    return calls;
}

constexpr int COLUMN_FIXED = 2;  // GTK_TREE_VIEW_COLUMN_FIXED

// Rows of one height, the column as wide as the list: the view lays out
// only the rows it shows.
void fixed_rows(wxListBox* list, const TreeCalls& c) {
    void* view = list->m_treeview;
    void* column = c.get_column(view, 0);
    if (!column) return;
    c.set_sizing(column, COLUMN_FIXED);
    c.set_fixed_width(column, std::max(list->GetClientSize().x, 16));
    c.set_expand(column, 1);
    c.set_fixed_height_mode(view, 1);
}
#endif

wxArrayString array_of(const std::vector<std::string>& rows) {
    wxArrayString array;
    array.reserve(rows.size());
    for (const std::string& row : rows) array.Add(wxString::FromUTF8(row));
    return array;
}

}  // namespace

void list_set_rows(wxListBox* list, const std::vector<std::string>& rows) {
#ifdef __WXGTK__
    const TreeCalls& c = tree_calls();
    // Emptying a long list tells the view of each row too.
    if (c.ok && list->m_treeview && (rows.size() >= MANY_ROWS || list->GetCount() >= MANY_ROWS)) {
        fixed_rows(list, c);
        void* view = list->m_treeview;
        void* model = c.get_model(view);
        if (model) {
            c.ref(model);
            c.set_model(view, nullptr);
            list->Set(array_of(rows));
            c.set_model(view, model);
            c.unref(model);
            return;
        }
    }
#endif
    list->Set(array_of(rows));
}

std::vector<bool> list_selected_rows(wxListBox* list) {
    std::vector<bool> selected(list->GetCount(), false);
    wxArrayInt lines;
    list->GetSelections(lines);
    for (int line : lines)
        if (line >= 0 && size_t(line) < selected.size()) selected[size_t(line)] = true;
    return selected;
}

void list_select_rows(wxListBox* list, const std::vector<bool>& selected) {
    wxArrayInt lines;
    list->GetSelections(lines);
    for (int line : lines)
        if (size_t(line) >= selected.size() || !selected[size_t(line)]) list->Deselect(line);
    const size_t count = std::min<size_t>(selected.size(), list->GetCount());
    for (size_t line = 0; line < count; ++line)
        if (selected[line] && !list->IsSelected(int(line))) list->SetSelection(int(line));
}
