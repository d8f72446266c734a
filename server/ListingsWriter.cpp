#include "ListingsWriter.h"

std::string ListingsWriter::kickoffText(const ReceiverZone& zone, std::int64_t kickoffUtc) {
    const date::local_seconds local =
        zone.toLocal(date::sys_seconds{std::chrono::seconds{kickoffUtc}});
    return date::format("%a %H:%M", local);
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
