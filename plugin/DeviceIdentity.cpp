#include "DeviceIdentity.h"

#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

eString DeviceIdentity::format(const unsigned char bytes[6]) {
    eString text;
    text.sprintf("%2.2x:%2.2x:%2.2x:%2.2x:%2.2x:%2.2x", bytes[0], bytes[1], bytes[2], bytes[3],
                 bytes[4], bytes[5]);
    return text;
}

eString DeviceIdentity::read(const char* interfaceName) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return unknown;

    struct ifreq request;
    std::memset(&request, 0, sizeof request);
    std::strncpy(request.ifr_name, interfaceName, IFNAMSIZ - 1);
    request.ifr_hwaddr.sa_family = AF_INET;

    eString identity = unknown;
    if (ioctl(fd, SIOCGIFHWADDR, &request) >= 0) {
        unsigned char bytes[6];
        std::memcpy(bytes, request.ifr_hwaddr.sa_data, sizeof bytes);
        identity = format(bytes);
    }
    close(fd);
    return identity;
}
