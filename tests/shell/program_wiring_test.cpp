// Wiring in the real program as a user meets it: every wire that looks
// joined to a pin or to another wire is joined, read back from the saved
// sheet's nets; a part moved alone or dragged with its wires says which on
// the status line, and the drag keeps its nets whole and its wires straight.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "model/items/item.h"
#include "shell/program_harness.h"

namespace {

using namespace program_test;

// Whether one net of the sheet file holds both members (as nets_of names
// them: "10@x,y:pin" a part's pin, "14@x,y" a port).
bool joined(const std::string& sheet, const std::string& a, const std::string& b) {
    for (const std::vector<std::string>& net : nets_of(sheet))
        if (std::count(net.begin(), net.end(), a) && std::count(net.begin(), net.end(), b))
            return true;
    return false;
}

// A sheet of parts with pins off the grid and along long pins: a resistor of
// an earlier library (its pins half a step below its place), a buffer whose
// input pin is three steps long, and ports to wire from.
const char* const WIRING_SHEET = R"((SCHEMATIC
  (SHEET
    (TEXT 0 (POS 3000 4000 ) (SIZE 900 1300 ) 'Wiring' )
    (PARTLIB 'parts/RES' 0x00000001 1.000000 POWEROFF
      NO_ROT NORMAL_PART DEVICE 0 (POS 20000 20000 )
      (ATTRIBUTE 'R1' VIS (POS 20500 19400 )  )
      (ATTRIBUTE '10k' VIS (POS 20300 21300 )  )
    )
    (PARTLIB 'parts/BUF' 0x00000003 1.000000 POWEROFF
      NO_ROT NORMAL_PART DEVICE 0 (POS 34000 8000 )
      (ATTRIBUTE 'U1' VIS (POS 35000 7000 )  )
      (ATTRIBUTE 'BUF' VIS (POS 35000 12500 )  )
    )
    (PORT LEFT INPUT (POS 12000 21000 ) 'P' )
    (PORT RIGHT INPUT (POS 33000 3000 ) 'X' )
    (PORT LEFT INPUT (POS 20000 26000 ) 'W' )
    (PORT LEFT INPUT (POS 24000 31000 ) 'S' )
    (PORT RIGHT INPUT (POS 28000 26000 ) 'E' )
    (TEXT 0 (POS 40000 32000 ) (SIZE 600 900 ) 'end' )
  )
  (LIB '$ACTIVE$'
    (PFXS
    )
    (PARTS
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 1)
            (SIZE 2000 1000 )
            (REFERENCE 'R' )
          )
          (NORMAL
            (PINS
              (PIN '1' SHORT PAS LEFT (POS 0 500 ) '1' )
              (PIN '2' SHORT PAS RIGHT (POS 2000 500 ) '2' )
            )
            (VECTOR
              (RECT DRAW (POS 0 200 ) (POS 2000 800 )  )
            )
          )
        )
        (ALIAS
          (NAME 'parts/RES' )
        )
      )
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 1)
            (SIZE 4000 4000 )
            (REFERENCE 'U' )
          )
          (NORMAL
            (PINS
              (PIN 'A' IN LEFT (POS 0 2000 ) '1' )
            )
            (VECTOR
              (RECT DRAW (POS 0 0 ) (POS 4000 4000 )  )
            )
          )
        )
        (ALIAS
          (NAME 'parts/BUF' )
        )
      )
    )
  )
)
)";

class Wiring : public ExampleProgram {
protected:
    void OpenWiringSheet() {
        marks[0] = Point{10000, 10000};
        marks[1] = Point{34000, 28000};
        OpenSource("wiring", WIRING_SHEET);
    }
    // A wire through the clicks (Place > Wire), ended by a right click.
    void Wire(const std::vector<Point>& clicks) {
        menu(frame, "alt+p", "w");
        for (Point p : clicks) click(map(p));
        click(map(clicks.back()), 3);
        keys(frame, "Escape");
    }
    void Save() {
        const auto before = std::filesystem::last_write_time(sheet);
        keys(frame, "ctrl+s");
        ASSERT_TRUE(wait_until([&] {
            std::error_code ec;
            return std::filesystem::last_write_time(sheet, ec) != before;
        })) << "the sheet was not saved";
    }
};

// R1's first pin ends at (19000, 20500), half a step off the grid: a click
// on the grid beside it ends the wire on it.
TEST_F(Wiring, AClickBesideAPinOffTheGridEndsTheWireOnIt) {
    OpenWiringSheet();
    Wire({Point{19000, 21000}, Point{12000, 21000}});  // to port P
    Save();
    EXPECT_TRUE(joined(sheet, "10@20000,20000:1", "14@12000,21000"))
        << "the wire does not reach R1's pin";
}

// A wire routed to the tip of U1's long input, the pointer gone down first
// (so that its corner would lie on the pin and its last leg along it),
// reaches the tip from outside and joins the pin. Three wires meeting end
// to end, two of them in line, stay joined when those two are fused.
TEST_F(Wiring, WiresThatReachAPinOrMeetEndToEndAreJoined) {
    OpenWiringSheet();
    menu(frame, "alt+p", "w");
    click(map(Point{33000, 3000}));  // port X
    glide(map(Point{33000, 7000}));
    glide(map(Point{31000, 10000}));  // the tip of U1's input
    click(map(Point{31000, 10000}));
    click(map(Point{31000, 10000}), 3);
    keys(frame, "Escape");

    Wire({Point{20000, 26000}, Point{24000, 26000}});  // from port W
    Wire({Point{24000, 26000}, Point{24000, 31000}});  // down to port S
    Wire({Point{24000, 26000}, Point{28000, 26000}});  // on in line to port E
    Save();
    EXPECT_TRUE(joined(sheet, "14@33000,3000", "10@34000,8000:A"))
        << "the wire along U1's input does not join it";
    EXPECT_TRUE(joined(sheet, "14@20000,26000", "14@24000,31000"));
    EXPECT_TRUE(joined(sheet, "14@24000,31000", "14@28000,26000"))
        << "the wire down to S was cut off where the other two were fused";
    EXPECT_EQ(Junctions(), 1);
}

// The example's op-amp, moved alone and then dragged with its wires: each
// gesture says on the status line what it does; the drag keeps every net,
// the supply wires of its power pins included, and no wire slants.
TEST_F(Wiring, MovingAPartAloneOrDraggingItWithItsWires) {
    marks[0] = Point{10000, 10000};
    marks[1] = Point{30000, 26000};
    OpenExampleSheet("amplifier.sch");
    const std::string original = dir.file("original.sch");
    std::filesystem::copy_file(sheet, original);
    // Pressed on the op-amp's left side, it is taken and follows the pointer;
    // where a pin would land on a wire the status line says so.
    const ScreenPoint edge = map(Point{18000, 14000});
    glide(edge);
    run("xdotool mousedown 1");
    glide(map(Point{18000, 16000}));
    EXPECT_FALSE(WaitStatus("Move: lands on another net here").empty());
    glide(map(Point{18000, 20000}));
    EXPECT_FALSE(WaitStatus("Move: wires stay. Ctrl: wires follow").empty());
    run("xdotool mouseup 1");
    keys(frame, "ctrl+z");

    glide(edge);
    run("xdotool keydown ctrl sleep 0.05 mousedown 1");
    glide(map(Point{18000, 15000}));
    glide(map(Point{18000, 16000}));
    EXPECT_FALSE(WaitStatus("Drag: the wires follow").empty());
    run("xdotool mouseup 1 sleep 0.05 keyup ctrl");
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] {
        return CountSaved([](SchItem* item) {
                   return item->type == PARTLIB_ITEM && item->pos == Point{18000, 14000};
               }) == 1;
    })) << "the op-amp was not dragged";
    // The nets by what they join: the parts' pins (the op-amp's by its new
    // place), the power symbols, the ports.
    auto moved = nets_of(original);
    for (auto& net : moved) {
        for (std::string& member : net)
            if (member.rfind("10@18000,12000:", 0) == 0) member.replace(3, 11, "18000,14000");
        std::sort(net.begin(), net.end());
    }
    std::sort(moved.begin(), moved.end());
    EXPECT_EQ(nets_of(sheet), moved);
    EXPECT_EQ(slanted_wires(sheet), 0);
}

}  // namespace
