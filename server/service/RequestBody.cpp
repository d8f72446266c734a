#include "RequestBody.h"

#include <limits>

namespace {

constexpr std::string_view deviceKey = "&m=";

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isDevice(std::string_view s) {
    if (s.size() != 17) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i % 3 == 2 ? s[i] != ':' : !isHex(s[i])) return false;
    }
    return true;
}

bool hasControl(std::string_view s) {
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7f) return true;
    }
    return false;
}

// An optionally negative decimal that fits 32 bits, and nothing else.
bool readInt32(std::string_view s, std::int32_t& value) {
    bool negative = false;
    if (!s.empty() && s.front() == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 10) return false;
    std::int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

// Splits "<head>&m=<device>" at the last "&m=" and checks the device.
bool splitDevice(std::string_view body, std::string_view& head, std::string_view& device,
                 std::string& error) {
    const std::size_t at = body.rfind(deviceKey);
    if (at == std::string_view::npos) {
        error = "no \"&m=\" device identity";
        return false;
    }
    head = body.substr(0, at);
    device = body.substr(at + deviceKey.size());
    if (!isDevice(device)) {
        error = "device identity is not six hexadecimal bytes separated by ':'";
        return false;
    }
    return true;
}

}  // namespace

RequestBody::Result<RequestBody::Listings> RequestBody::parseListings(std::string_view body) {
    Result<Listings> result;
    if (body.substr(0, 2) != "z=") {
        result.error = "body does not start with \"z=\"";
        return result;
    }
    std::string_view head, device;
    if (!splitDevice(body, head, device, result.error)) return result;
    const std::string_view zone = head.substr(2);
    if (hasControl(zone)) {
        result.error = "time zone contains a control character";
        return result;
    }
    result.value.zoneName = std::string(zone);
    result.value.device = std::string(device);
    return result;
}

RequestBody::Result<RequestBody::Channels> RequestBody::parseChannels(std::string_view body) {
    Result<Channels> result;
    std::string_view head, device;
    if (!splitDevice(body, head, device, result.error)) return result;
    const std::size_t filterAt = head.find("&f=");
    if (head.substr(0, 3) != "id=" || filterAt == std::string_view::npos) {
        result.error = "body is not \"id=<number>&f=<number>&m=<device>\"";
        return result;
    }
    if (!readInt32(head.substr(3, filterAt - 3), result.value.matchId)) {
        result.error = "id is not a 32-bit decimal number";
        return result;
    }
    if (!readInt32(head.substr(filterAt + 3), result.value.filter)) {
        result.error = "f is not a 32-bit decimal number";
        return result;
    }
    result.value.device = std::string(device);
    return result;
}

std::string RequestBody::deviceForLog(std::string_view body) {
    std::size_t at = body.rfind(deviceKey);
    if (at != std::string_view::npos) {
        at += deviceKey.size();
    } else if (body.substr(0, 2) == "m=") {
        at = 2;
    } else {
        return "-";
    }
    std::string device(body.substr(at, 32));
    if (device.empty()) return "-";
    for (char& c : device) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f) c = '?';
    }
    return device;
}
