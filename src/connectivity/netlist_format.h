#pragma once
// Netlist output: the linked nets of a project (one NetContext and one
// schema, as linking leaves them) written as a text netlist in one of four
// formats chosen by keyword: "tessaron" the native format, "SPICE",
// "FLATEDIF" (EDIF 2 0 0), anything else the board-layout program's format.
//
// Every netlist goes through a temporary file: a writer that fails leaves
// the old netlist (or none), never a partial one.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "connectivity/netlist_table.h"

struct Ident;
struct Library;
struct LinkedObjects;
struct NetContext;
struct Part;
struct SchItem;
struct Pin;
struct PinList;
struct PlacedPart;
struct PseudoPin;
struct Schema;
struct Text;

constexpr int NETLIST_NOT_OPENED = 3;
constexpr int SPICE_PIN_NOT_CONNECTED = 40002;
constexpr int SPICE_PIN_NOT_A_NUMBER = 40003;
// Two parts of one reference and device (a duplicate) whose same pin is on
// two nets, and a pin number of one package on two nets.
constexpr int SPICE_REFERENCE_TWICE = 40009;
constexpr int SPICE_PIN_ON_TWO_NETS = 40010;

// Names the nets, marks those with two real members and writes the netlist.
// 0; 3 when the output cannot be made; a writer's own error; 6 or 7 when
// the finished file cannot be put in place.
// `objects`, the link's own table of what it read, spares the walk over the
// whole sheet for its parts and texts where it is that sheet's.
int format_netlist(NetContext* context, Schema* schema, const char* root, const char* output,
                   const char* keyword, int module_field, const LinkedObjects* objects = nullptr);

// The part and pin of the last SPICE error (40002, 40003, 40009, 40010),
// and the two nets of the last 40009 or 40010.
const char* spice_error_reference();
const char* spice_error_pin();
const char* spice_error_net(int which);

// --- shared by the writers ----------------------------------------------------------------
// One pin of a part as the writers list it: net null for a pin on no net.
struct PartPin {
    const char* number;
    const Ident* net;
    const Pin* pin;
};

struct NetlistRun {
    NetContext* context = nullptr;
    Schema* schema = nullptr;
    const char* root = "";
    const char* output = "";
    int module_field = 1;
    int unconnected = 0;  // "?%d" counter of unconnected pins, whole file
    // One package per reference (ignoring case): its placed parts (every
    // device) and its members on nets with two real members, in net and
    // chain order. Package k's parts are package_parts[part_start[k] ..
    // part_start[k + 1]), its members likewise: flat arrays, not a pair of
    // vectors for each of thousands of packages.
    using Member = std::pair<const Ident*, PseudoPin*>;
    uint32_t package_count = 0;
    std::vector<uint32_t> part_start, member_start;
    std::vector<PlacedPart*> package_parts;
    std::vector<Member> package_members;
    FlatIndex<std::string_view, NoCaseHash, NoCaseEqual> package_of_reference;
    // The sheet's placed parts and texts in list order: the sheet's list,
    // which also holds every net member, is walked once for them.
    std::vector<PlacedPart*> placed;
    std::vector<uint32_t> placed_package;  // the package of each of `placed`, by its index
    std::vector<const Text*> texts;
    // The pins of the part being written (walk_part_pins), kept for the next.
    std::vector<PartPin> pins;
};

// The package of one of `placed` (a member's part, mostly), null for an
// item that is none of them. Each placed part notes its place in `placed`
// in its scratch slot (`net_slot`), checked against the table before use:
// no table by part as large as the design, and the part's record is the one
// the caller has just read.
const uint32_t* package_of_placed(const NetlistRun& run, const SchItem* item);
// A package's placed parts and members (both empty past the last package).
std::span<PlacedPart* const> package_parts(const NetlistRun& run, uint32_t package);
std::span<const NetlistRun::Member> package_members(const NetlistRun& run, uint32_t package);

// The attribute numbered `field` from 1 (1 reference, 2 value, ...), "" when absent.
const char* module_text(PlacedPart* part, int field);
// A member's pin number: the pin's number for its part's device, else its name.
const char* member_pin_number(const PseudoPin* member);
// The number of a pin for one device, else (none, or an empty one) its name.
const char* pin_number_for(const Pin* pin, int device);
// Devices of a library part (at least one).
int part_devices(const Part* part);
bool member_on_part(const PseudoPin* member);

// One placed part's pins in native order into run.pins: first the connected
// pins found on the nets with two real members, then every pin of every
// device not met yet (numbers compared ignoring case). Every placed part of
// that reference gets state bit 2, so that no device of the package is
// written as a package of its own. False (nothing listed) when the library
// part is missing. `package`: the part's package where the caller has it
// at hand (placed_package), else null (it is looked up).
bool list_part_pins(NetlistRun& run, PlacedPart* part, const uint32_t* package = nullptr);
// The same pins passed on: `connected` gets the pin number, net and pin,
// `unconnected` the pin number and pin.
template <class Connected, class Unconnected>
bool walk_part_pins(NetlistRun& run, PlacedPart* part, Connected&& connected,
                    Unconnected&& unconnected, const uint32_t* package = nullptr) {
    if (!list_part_pins(run, part, package)) return false;
    for (const PartPin& p : run.pins) {
        if (p.net)
            connected(p.number, p.net, p.pin);
        else
            unconnected(p.number, p.pin);
    }
    return true;
}

int write_native_netlist(NetlistRun& run, FILE* out);
int write_layout_netlist(NetlistRun& run, FILE* out);
int write_edif_netlist(NetlistRun& run, FILE* out);
int write_spice_netlist(NetlistRun& run, FILE* out);
