#include "toolkit/flow_layout.h"

#include <algorithm>

FlowLayout::FlowLayout(int margin, int h_spacing, int v_spacing, int label_gap)
    : margin_(margin),
      h_spacing_(h_spacing),
      v_spacing_(v_spacing),
      label_gap_(label_gap),
      x_(margin),
      y_(margin) {}

void FlowLayout::SetSpacing(int h_spacing, int v_spacing) {
    h_spacing_ = std::max(h_spacing, 0);
    v_spacing_ = std::max(v_spacing, 0);
}

void FlowLayout::SetMargin(int margin) {
    margin_ = std::max(margin, 0);
    x_ = y_ = margin_;
}

FlowPlacement FlowLayout::Add(int label_w, int label_h, int item_w, int item_h) {
    label_w = std::max(label_w, 0);
    label_h = std::max(label_h, 0);
    item_w = std::max(item_w, 0);
    item_h = std::max(item_h, 0);
    if (row_empty_) {
        y_ += extra_y_;
        extra_y_ = 0;
    }
    FlowPlacement p;
    const bool labelled = label_w > 0 || label_h > 0;
    int w, h;
    if (!labelled) {
        p.item = {x_, y_, item_w, item_h};
        w = item_w;
        h = item_h;
    } else if (label_position_ == LabelPosition::BESIDE) {
        h = std::max(label_h, item_h);
        p.label = {x_, y_ + (h - label_h) / 2, label_w, label_h};
        p.item = {x_ + label_w + label_gap_, y_ + (h - item_h) / 2, item_w, item_h};
        w = label_w + label_gap_ + item_w;
    } else {
        p.label = {x_, y_, label_w, label_h};
        p.item = {x_, y_ + label_h + label_gap_, item_w, item_h};
        w = std::max(label_w, item_w);
        h = label_h + label_gap_ + item_h;
    }
    max_right_ = std::max(max_right_, x_ + w);
    max_bottom_ = std::max(max_bottom_, y_ + h);
    row_height_ = std::max(row_height_, h);
    x_ += w + h_spacing_;
    row_empty_ = false;
    return p;
}

void FlowLayout::NewLine(int blank_height) {
    y_ += (row_empty_ ? blank_height : row_height_) + v_spacing_;
    x_ = margin_;
    row_height_ = 0;
    row_empty_ = true;
}

int FlowLayout::Width() const { return std::max(max_right_, margin_) + margin_; }

int FlowLayout::Height() const {
    int bottom = std::max(max_bottom_, margin_);
    return bottom + margin_;
}
