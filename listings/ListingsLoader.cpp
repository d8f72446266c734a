#include "ListingsLoader.h"

#include <cstdio>

#include "FieldScanner.h"
#include "SafeFile.h"

namespace {

using Text = FieldScanner::Text;

// Capacities of the text fields, in bytes.
constexpr size_t titleCapacity = 199;
constexpr size_t pictureNameCapacity = 19;  // country1, picture, country2
constexpr size_t kickoffCapacity = 49;
constexpr size_t satelliteCapacity = 9;  // sat_position, sat_direction

}  // namespace

ListingsLoader::Result ListingsLoader::load(const std::string& path, const RecordCaps& caps) {
    Result result;
    if (UniqueFile file{SafeFile::openForRead(path)}) result = read(file.get(), caps);
    std::remove(path.c_str());
    return result;
}

// A line from which some but not all fields can be read still makes a record:
// its unread fields keep what the line before left in the working record (or
// the empty defaults on the first line), and reading goes on where it stopped.
// Only a line that yields nothing at all ends the reading.
ListingsLoader::Result ListingsLoader::read(FILE* file, const RecordCaps& caps) {
    FieldScanner in(file);
    Result result;
    result.status = 0;

    int32_t count = 0;
    if (in.scan("%d\n", {&count}) <= 0) return result;
    matchray_matches match;
    for (int32_t i = 0; i < count; ++i) {
        int fields = in.scan(
            "%d#%[^#]#%[^#]#%[^#]#%[^#]#%[^\n]\n",
            {&match.id, Text{&match.title, titleCapacity},
             Text{&match.country1, pictureNameCapacity}, Text{&match.picture, pictureNameCapacity},
             Text{&match.country2, pictureNameCapacity}, Text{&match.kickoff, kickoffCapacity}});
        if (fields <= 0) return result;
        if (result.matches.size() < caps.matches) result.matches.push_back(match);
    }

    if (in.scan("%d\n", {&count}) <= 0) return result;
    matchray_satellites satellite;
    for (int32_t i = 0; i < count; ++i) {
        int fields = in.scan("%d#%[^#]#%[^\n]\n",
                             {&satellite.match_id, Text{&satellite.sat_position, satelliteCapacity},
                              Text{&satellite.sat_direction, satelliteCapacity}});
        if (fields <= 0) return result;
        if (result.satellites.size() < caps.satellites) result.satellites.push_back(satellite);
    }
    result.status = 1;
    return result;
}
