#pragma once
// The per-sheet net file: after a sheet's nets are built, everything the
// netlist writers need of the sheet and its nets, written beside the sheet
// (its name completed for the EXT_NETLIST suffix in the project directory).
//
// Layout (integers 32-bit big-endian, strings NUL-terminated, records in
// their own binary forms):
//   0xA0
//   the schema's own library, a complete binary library file with header
//   the sheet's texts, placed parts, power symbols, no-connect marks and
//   sub-sheet boxes, in list order
//   the schema's ports (0xCE each)
//   one net record per net with members:
//     0xA2, name count, [the net property ('m')], per name: kind, name,
//     the members as pseudo-pin records (0xD4), 0xE0
//     (a member standing for a port named as a bus range is left out)
//   per unused junction: 0xB1, x, y, 0xE0
//   per island without members: 0xB2, the first point of its first wire, 0xE0
//   0xE0
//
// Names of local nets get the suffix "__<sheet number>" unless the number
// is 0 or the name is a bus alias (it holds both '@' and '/'). A net is
// local unless a member stands for a sub-sheet port, a power pin, a power
// symbol or a port, or one of its labels names a member of a bus range
// named by a port of the schema or of a sub-sheet box.
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "foundation/list.h"
#include "model/documents/ident.h"

struct Ident;
struct Library;
struct LinkedObjects;
struct List;
struct NetContext;
struct Schema;

constexpr uint8_t NET_FILE_TAG = 0xA0;
constexpr uint8_t NET_RECORD_TAG = 0xA2;
constexpr uint8_t UNUSED_JUNCTION_TAG = 0xB1;
constexpr uint8_t UNCONNECTED_WIRE_TAG = 0xB2;
constexpr uint8_t LOOSE_MEMBER_TAG = 0xB3;
// Document kind of net files (make_kind_file_name).
constexpr int NET_FILE_KIND = 6;

// A net file's backup: NAME.NBK, apart from the sheet's own NAME.BAK.
constexpr const char* NET_FILE_BACKUP_SUFFIX = ".NBK";

// Writes the net file of the schema's current sheet, built into the
// context, through a temporary file (an existing file is kept as its
// backup, NAME.NBK). 0, also when there is no sheet (nothing is written); else the
// code of the failed write (50 the file cannot be made, 6, 7). Ports placed
// among the sheet's items are written after the schema's ports, in item
// order: their net members name them, as a module port's do.
// `objects`, a link's table of what it read (net_link.h), spares the walk
// over the whole sheet, members and all, where it is that sheet's.
int write_net_report(NetContext* context, Schema* schema, const char* name, int sheet_number,
                     const LinkedObjects* objects = nullptr);
// Gives each head state bit 2 when it has at least two members that do not
// stand for a no-connect mark, else clears it; clears bit 2 on the sheet's
// placed parts first.
void mark_real_nets(NetContext* context);
// The heads' part of mark_real_nets alone, for a check that knows the
// parts' bit 2 clear (as a build leaves it): no walk of the whole sheet.
void mark_real_heads(const List* islands);
// Whether the net has at least two members that do not stand for a
// no-connect mark: the test behind state bit 2.
bool has_two_real_members(const Ident* head);

// --- reading ---------------------------------------------------------------------------
// Results: 0; 66 ("Not a Binary Netlist.") for a record that is not one or
// is cut short; 76 for member ids that name nothing; 1001 for a member
// record of another tag.

// Reads port records (0xCE) while they follow, appended to the context's
// ports (made when missing); a port's read error is returned. Each port is
// stamped with the context's current sub-sheet number and, in mode 1
// (linking), with the file's base name `name`.
int read_net_ports(NetContext* context, FILE* stream, int mode = 0, const char* name = nullptr);
// Reads net records up to the closing 0xE0: each net a new head appended to
// *islands (made when missing), its members put on the context sheet's
// item list with their ids resolved against the context's ports and the
// sheet's items (placed parts' pins through `library`). Unused-junction,
// unconnected-wire and loose-member records are read and passed over.
// `objects`, when given, holds every item of the sheet that a member may
// name, (id, item) in list order, as the objects' reader met them: the
// sheet is then not walked again for them.
using ObjectIds = std::vector<std::pair<uint32_t, SchItem*>>;
int read_net_nets(NetContext* context, List** islands, FILE* stream, Library* library,
                  const ObjectIds* objects = nullptr);

// Fetches, beside a walk over a list of nets (heads in list order), the
// members of the nets a few places ahead and the parts and ports they lie
// on. A net's members are made as the sheet's parts are met, not net by
// net, so each member and its part is a read from memory on a large sheet;
// fetched this way the walk finds them in the cache. Call next() once per
// net walked.
class MembersAhead {
public:
    explicit MembersAhead(const List* nets)
        : first_(ahead(nets, FIRST)), second_(ahead(nets, SECOND)), third_(ahead(nets, THIRD)) {}
    void next() {
        // The first member of the net FIRST ahead; the part and the next
        // member of the net SECOND ahead, whose first member came meanwhile;
        // the part and the next member of its second member THIRD ahead.
        if (first_) {
            __builtin_prefetch(head(first_)->nextconn);
            first_ = first_->next;
        }
        if (second_) {
            if (const SchItem* member = head(second_)->nextconn) fetch(member);
            second_ = second_->next;
        }
        if (third_) {
            const SchItem* member = head(third_)->nextconn;
            if (member && member->next) fetch(member->next);
            third_ = third_->next;
        }
    }

private:
    static constexpr int FIRST = 12, SECOND = 6, THIRD = 3;
    static const ListNode* ahead(const List* nets, int places) {
        const ListNode* node = nets ? nets->head : nullptr;
        for (int i = 0; i < places && node; ++i) node = node->next;
        return node;
    }
    static const Ident* head(const ListNode* node) { return static_cast<const Ident*>(node->data); }
    static void fetch(const SchItem* member) {
        const auto* pin = static_cast<const PseudoPin*>(member);
        __builtin_prefetch(pin->father);
        __builtin_prefetch(pin->whoami);
        __builtin_prefetch(member->next);
    }
    const ListNode* first_;   // not owned: the node FIRST nets ahead
    const ListNode* second_;  // not owned: SECOND nets ahead
    const ListNode* third_;   // not owned: THIRD nets ahead
};
