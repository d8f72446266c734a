#pragma once
// Writes the channel answer for one match: the count line, then one line per
// channel on a position that the filter accepts,
// "match_id#channel_id#name#position#direction#frequency#polarisation#symbol_rate#fec#encryption#hd",
// each ending in "\n".

#include <cstdint>
#include <string>
#include <vector>

#include "Records.h"

class ChannelWriter {
public:
    static std::string write(std::int32_t matchId, const std::vector<ChannelRecord>& channels,
                             int filter);
};
