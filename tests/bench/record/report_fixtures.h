// Small builders shared by the record's tests.
#pragma once

#include "record/report_model.h"

#include <string>

namespace tarnwick::bench::testing {

// A reference check named name whose message says so.
inline report_check check(const char* name, verdict v, bool failed, int origin = 0) {
    return {name, origin, v, failed, std::string(name) + " said so", {}, {}};
}

} // namespace tarnwick::bench::testing
