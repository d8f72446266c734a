#pragma once
// The device identity sent with every request: the hardware address of a
// network interface as "xx:xx:xx:xx:xx:xx", lower-case hexadecimal.

#include "eString.h"

class DeviceIdentity {
public:
    // The identity when the address can't be read.
    static constexpr const char* unknown = "00:00:00:00:00:00";

    // Formats six address bytes, each taken unsigned.
    static eString format(const unsigned char bytes[6]);

    // The address of the interface (SIOCGIFHWADDR), or unknown.
    static eString read(const char* interfaceName = "eth0");
};
