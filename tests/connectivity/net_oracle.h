#pragma once
// The net build written the plain way, as a yardstick for the shipped one.
#include "connectivity/net_build.h"

namespace net_test {

// Builds the schema's current sheet as build_sheet_nets does, record by
// record and pair by pair.
int plain_build(NetContext* context, Schema* schema);

}  // namespace net_test
