#include "TransferLimits.h"

#include "eConfig.h"

namespace {

// A missing, malformed or non-positive setting keeps the default: libcurl
// would take 0 as "no limit".
void readSeconds(const char* key, long& seconds) {
    int value = 0;
    if (eConfig::instance()->getKey(key, value) == 0 && value > 0) seconds = value;
}

}  // namespace

TransferLimits TransferLimits::fromConfig() {
    TransferLimits limits;
    readSeconds("/matchray/connect_timeout", limits.connectSeconds);
    readSeconds("/matchray/stall_timeout", limits.lowSpeedSeconds);
    return limits;
}
