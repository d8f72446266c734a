#include "TimeZoneMapper.h"

#include <cctype>

#include "TimeZoneName.h"

namespace {

// Region names that name no zone themselves.
struct Alias {
    const char* place;
    const char* zone;
};
const Alias regionAliases[] = {
    {"eastern time (us & canada)", "America/New_York"},
    {"central time (us & canada)", "America/Chicago"},
    {"mountain time (us & canada)", "America/Denver"},
    {"pacific time (us & canada)", "America/Los_Angeles"},
    {"atlantic time (canada)", "America/Halifax"},
    {"indiana (east)", "America/Indiana/Indianapolis"},
};

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Zones under a continent or ocean come before the older country-style names
// ("US/Eastern", "Canada/Eastern") when both end in the same place.
bool isRegional(const std::string& name) {
    static const char* const regions[] = {"Africa/", "America/",  "Antarctica/", "Arctic/",
                                          "Asia/",   "Atlantic/", "Australia/",  "Europe/",
                                          "Indian/", "Pacific/"};
    for (const char* region : regions) {
        if (name.rfind(region, 0) == 0) return true;
    }
    return false;
}

// Names that stand for no place: "Etc/GMT+1", "EST5EDT", "CET", "Factory".
bool namesAPlace(const std::string& name) {
    if (name.rfind("Etc/", 0) == 0 || name.rfind("posix/", 0) == 0 ||
        name.rfind("right/", 0) == 0) {
        return false;
    }
    if (name == "Factory" || name == "localtime" || name == "posixrules") return false;
    if (name.find('/') != std::string::npos) return true;
    for (char c : name) {
        if (std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    for (char c : name) {
        if (std::islower(static_cast<unsigned char>(c))) return true;
    }
    return false;  // "UTC", "GMT", "CET", "EST"
}

std::string_view withoutParentheses(std::string_view place) {
    const std::size_t open = place.find('(');
    std::string_view head = place.substr(0, open);
    while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
    return head;
}

}  // namespace

TimeZoneMapper::TimeZoneMapper() {
    const date::tzdb& db = date::get_tzdb();
    for (const date::time_zone& zone : db.zones) {
        const std::string& name = zone.name();
        if (!namesAPlace(name)) continue;
        byName.emplace(lower(name), &zone);
        const std::string key = lower(name.substr(name.rfind('/') + 1));
        auto [it, inserted] = byPlace.emplace(key, &zone);
        if (!inserted && isRegional(name) && !isRegional(it->second->name())) it->second = &zone;
    }
}

const date::time_zone* TimeZoneMapper::zoneForPlace(std::string_view place) const {
    const std::string whole = lower(place);
    for (const Alias& alias : regionAliases) {
        if (whole == alias.place) return date::locate_zone(alias.zone);
    }
    // A zone name given as it is: "Europe/Berlin".
    if (place.find('/') != std::string_view::npos) {
        auto it = byName.find(whole);
        return it == byName.end() ? nullptr : it->second;
    }
    std::string key = lower(withoutParentheses(place));
    for (char& c : key) {
        if (c == ' ') c = '_';
    }
    auto it = byPlace.find(key);
    return it == byPlace.end() ? nullptr : it->second;
}

ReceiverZone TimeZoneMapper::map(std::string_view displayName) const {
    const TimeZoneName name = TimeZoneName::parse(displayName);
    for (const std::string& place : name.places) {
        if (const date::time_zone* zone = zoneForPlace(place)) return ReceiverZone::named(zone);
    }
    return ReceiverZone::fixed(name.offsetMinutes.value_or(0));
}
