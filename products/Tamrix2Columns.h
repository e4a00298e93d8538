// Column lists that several network-marketing steps share.
//
// The ADSL, WiMAX and WiFi service files record the same subscriber, service,
// date and charge columns, and the ADSL, WiMAX and WiFi service definitions
// the same attributes; each list is written once, in Tamrix2Customers.cpp,
// where its first table appears.
#pragma once

#include <vector>

#include "schema/TableStep.h"

namespace orvel {

enum class Tamrix2ServiceFile { Adsl, Wireless };

// The shared columns of a service file, TEL_ADSL to Nasb_by_AD.  Only the
// ADSL file has the charge JRanjh and the goods of its plan (CKala, NKala),
// and it holds the plan code CTarh as text where the wireless files (WiMAX,
// WiFi) hold an integer.
std::vector<ColumnEntry> Tamrix2ServiceFileColumns(Tamrix2ServiceFile file);

// The attributes of a service definition after its code CSERVICE.
std::vector<ColumnEntry> Tamrix2ServiceDefinitionColumns();

}  // namespace orvel
