#include "dialogs/forms/form.h"

#include <cctype>
#include <climits>
#include <cstdio>

#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/properties.h"

namespace {

std::vector<std::string> lines_of(const char* text) {
    std::vector<std::string> lines;
    if (!text) return lines;
    std::string line;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += *p;
        }
    }
    lines.push_back(line);
    return lines;
}

void load_row(const FormRow& row, FieldValue& value, const FormContext& context) {
    switch (row.bind) {
        case Bind::NONE: break;
        case Bind::FLAG: value.number = proper_get(row.property) != 0; break;
        case Bind::FLAG_INVERTED: value.number = proper_get(row.property) == 0; break;
        case Bind::TEXT: {
            const char* text = strproper_get(row.property);
            value.text = text ? text : "";
            break;
        }
        case Bind::NUMBER: value.text = std::to_string(proper_get(row.property)); break;
        case Bind::PROPOSED_NAME:
            value.text = context.has_document ? default_file_name_for(context.document_name,
                                                                      strproper_get(row.extra))
                                              : std::string();
            break;
        case Bind::INDEX: {
            int entry = proper_get(row.property) - row.extra;
            // An entry the choice does not have leaves it as it stands.
            if (entry >= 0 && entry < static_cast<int>(value.entries.size())) value.number = entry;
            break;
        }
    }
}

void store_row(const FormRow& row, const FieldValue& value) {
    switch (row.bind) {
        case Bind::NONE: break;
        case Bind::FLAG: proper_set(row.property, value.number ? 1 : 0, 0); break;
        case Bind::FLAG_INVERTED: proper_set(row.property, value.number ? 0 : 1, 0); break;
        case Bind::TEXT:
        case Bind::PROPOSED_NAME: proper_set(row.property, value.text.c_str(), 0); break;
        case Bind::NUMBER: proper_set(row.property, leading_number(value.text), 0); break;
        case Bind::INDEX:
            if (value.number >= 0) proper_set(row.property, value.number + row.extra, 0);
            break;
    }
}

}  // namespace

Form::Form(std::vector<FormRow> rows) : rows_(std::move(rows)), values_(rows_.size()) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        const FormRow& row = rows_[i];
        FieldValue& value = values_[i];
        if (row.kind == RowKind::TEXT && row.sample) value.text = row.sample;
        if (row.kind == RowKind::CHOICE || row.kind == RowKind::RADIO ||
            row.kind == RowKind::BITMAP_RADIO) {
            value.entries = lines_of(row.sample);
            value.number = row.kind == RowKind::CHOICE ? -1 : 0;
        }
        if (row.kind == RowKind::LABEL && row.field && row.sample)
            value.text = row.label ? row.label : "";
    }
}

int Form::index_of(int field) const {
    if (field == 0) return -1;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].field == field) return static_cast<int>(i);
    return -1;
}

const FormRow& Form::row(int field) const {
    int i = index_of(field);
    TN_ASSERT(i >= 0);
    return rows_[i];
}

FieldValue& Form::value(int field) {
    int i = index_of(field);
    TN_ASSERT(i >= 0);
    return values_[i];
}

const FieldValue& Form::value(int field) const {
    int i = index_of(field);
    TN_ASSERT(i >= 0);
    return values_[i];
}

void Form::set_entries(int field, std::vector<std::string> entries) {
    FieldValue& v = value(field);
    v.entries = std::move(entries);
    v.selected.assign(v.entries.size(), false);
}

bool Form::selected(int field, size_t line) const {
    const FieldValue& v = value(field);
    return line < v.selected.size() && v.selected[line];
}

void Form::select(int field, size_t line, bool on) {
    FieldValue& v = value(field);
    if (line < v.selected.size()) v.selected[line] = on;
}

int Form::picked(int field) const {
    const FieldValue& v = value(field);
    for (size_t i = 0; i < v.selected.size(); ++i)
        if (v.selected[i]) return static_cast<int>(i);
    return -1;
}

std::string Form::picked_entry(int field) const {
    const int line = picked(field);
    const std::vector<std::string>& entries = value(field).entries;
    return line < 0 || static_cast<size_t>(line) >= entries.size() ? std::string() : entries[line];
}

void Form::load(const FormContext& context) {
    for (size_t i = 0; i < rows_.size(); ++i) load_row(rows_[i], values_[i], context);
}

void Form::store() const {
    for (size_t i = 0; i < rows_.size(); ++i) store_row(rows_[i], values_[i]);
}

int leading_number(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long number = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        if (number <= INT_MAX) number = number * 10 + (text[i] - '0');
    if (negative) number = -number;
    if (number > INT_MAX) return INT_MAX;
    if (number < INT_MIN) return INT_MIN;
    return static_cast<int>(number);
}
