#include "ListingsWriter.h"

#include <cstdio>

std::string ListingsWriter::kickoffText(const ReceiverZone& zone, std::int64_t kickoffUtc) {
    static const char* const weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const date::local_seconds local =
        zone.toLocal(date::sys_seconds{std::chrono::seconds{kickoffUtc}});
    const date::local_days day = date::floor<date::days>(local);
    const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(local - day).count();
    char text[16];
    std::snprintf(text, sizeof text, "%s %02d:%02d", weekdays[date::weekday(day).c_encoding()],
                  static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
    return text;
}

std::string ListingsWriter::write(const Listings& listings, const ReceiverZone& zone) {
    std::string out;
    out.reserve(64 + listings.matches.size() * 96 + listings.satellites.size() * 24);
    out += std::to_string(listings.matches.size()) + "\n";
    for (const MatchRecord& m : listings.matches) {
        out += std::to_string(m.id);
        for (const std::string* field : {&m.title, &m.country1, &m.picture, &m.country2}) {
            out += '#';
            out += *field;
        }
        out += '#';
        out += kickoffText(zone, m.kickoffUtc);
        out += '\n';
    }
    out += std::to_string(listings.satellites.size()) + "\n";
    for (const MatchSatellite& s : listings.satellites) {
        out += std::to_string(s.matchId) + "#" + s.position.position() + "#" +
               s.position.directionText() + "\n";
    }
    return out;
}
