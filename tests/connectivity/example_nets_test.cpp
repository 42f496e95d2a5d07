// The shipped example hierarchy (examples/) as its nets see it: every pin,
// port, sheet entry and power symbol drawn on it is wired to something,
// and the nets carry the names the drawing gives them. A part whose pins
// end somewhere else than its wires, or a label beside its wire, shows here
// first.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "connectivity/net_fixture.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "support/test_env.h"

namespace net_test {
namespace {

class ExampleNets : public NetTest {
protected:
    SchemaPtr load(const std::string& name) {
        return compile(
            tn_test::read_text(std::string(TN_TEST_DATA_DIR) + "/../../examples/" + name));
    }
};

struct Nets {
    std::vector<std::string> names;  // per net its names, sorted and joined by ','
    int members = 0;
    int lonely = 0;  // nets of a single member
};

Nets nets_of(const NetContext* context) {
    Nets n;
    for (Ident* head : list_items<Ident>(context->islands)) {
        int count = 0;
        for (const SchItem* m = head->nextconn; m; m = m->next) ++count;
        n.members += count;
        n.lonely += count < 2;
        std::set<std::string> names;
        for (const NameRec* rec : list_items<const NameRec>(head->names))
            if (rec->name) names.insert(rec->name);
        std::string joined;
        for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
        n.names.push_back(joined);
    }
    std::sort(n.names.begin(), n.names.end());
    return n;
}

int pseudo_pins(const Schema* schema) {
    int n = 0;
    for (const SchItem* item : list_items<const SchItem>(schema->current->items))
        n += item->type == PSEUDO_PIN;
    return n;
}

TEST_F(ExampleNets, EveryConnectionOfBothSheetsIsWiredAndTheNetsCarryTheirDrawnNames) {
    const struct {
        const char* file;
        std::vector<std::string> names;
    } sheets[] = {
        {"root.asc", {"FILT,IN", "GND", "OUT,VOUT", "SIGNAL"}},
        {"amplifier.asc", {"", "", "GND,V-", "IN", "OUT", "V+,VCC"}},
    };
    for (const auto& sheet : sheets) {
        SCOPED_TRACE(sheet.file);
        SchemaPtr schema = load(sheet.file);
        ASSERT_TRUE(schema);
        int result = -1;
        ContextPtr context = build(schema.get(), &result);
        ASSERT_EQ(result, 0);
        const Nets nets = nets_of(context.get());
        EXPECT_EQ(nets.members, pseudo_pins(schema.get())) << describe_nets(context.get());
        EXPECT_EQ(nets.lonely, 0) << describe_nets(context.get());
        EXPECT_EQ(nets.names, sheet.names) << describe_nets(context.get());
    }
}

}  // namespace
}  // namespace net_test
