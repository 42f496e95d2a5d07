#pragma once
// The flow layout of a dialog's user panel: items stand left to right in
// rows; NewLine starts the next row below the tallest item of the current
// one; an item's label stands beside it (left) or above it; Tab and Skip
// add horizontal and vertical space. Plain arithmetic in pixels, so that it
// is checked without a display; FlowPanel (toolkit/flow_panel.h) places the
// windows where it says.

enum class LabelPosition { BESIDE, ABOVE };

struct FlowBox {
    int x = 0, y = 0, w = 0, h = 0;
};

// Where one item and its label go.
struct FlowPlacement {
    FlowBox label;  // w = h = 0 for an item without a label
    FlowBox item;
};

class FlowLayout {
public:
    // Margins round the panel; spacing between items of a row and between
    // rows; the gap between a label and its item.
    FlowLayout(int margin = 8, int h_spacing = 8, int v_spacing = 6, int label_gap = 4);

    // The gaps between the items of a row and between rows, from the next
    // item on (a panel of bitmap buttons uses 0 for both).
    void SetSpacing(int h_spacing, int v_spacing);
    // The margin round the panel; only before the first item.
    void SetMargin(int margin);
    void SetLabelPosition(LabelPosition position) { label_position_ = position; }
    LabelPosition GetLabelPosition() const { return label_position_; }

    // Places an item of the given size with a label of the given size
    // (0 x 0 for none). A label beside its item is centred on the item's
    // height.
    FlowPlacement Add(int label_w, int label_h, int item_w, int item_h);
    // The next row starts at the left margin below the current row; a row
    // with nothing in it still takes blank_height.
    void NewLine(int blank_height = 10);
    void Tab(int dx) { x_ += dx; }
    void Skip(int dy) { extra_y_ += dy; }

    // The panel's size holding everything placed, margins included.
    int Width() const;
    int Height() const;

private:
    int margin_, h_spacing_, v_spacing_, label_gap_;
    LabelPosition label_position_ = LabelPosition::BESIDE;
    int x_, y_;           // where the next item starts
    int row_height_ = 0;  // of the current row
    int extra_y_ = 0;     // vertical space asked for before the next row item
    int max_right_ = 0;   // right edge of everything placed
    int max_bottom_ = 0;  // bottom edge of everything placed
    bool row_empty_ = true;
};
