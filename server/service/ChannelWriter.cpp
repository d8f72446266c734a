#include "ChannelWriter.h"

#include "ColourKeyPositions.h"

std::string ChannelWriter::write(std::int32_t matchId, const std::vector<ChannelRecord>& channels,
                                 int filter) {
    std::string lines;
    std::size_t count = 0;
    for (const ChannelRecord& c : channels) {
        if (!ColourKeyPositions::accepts(filter, c.position.key())) continue;
        ++count;
        lines += std::to_string(matchId) + "#" + std::to_string(c.id) + "#" + c.name + "#" +
                 c.position.position() + "#" + c.position.directionText() + "#" + c.frequency +
                 "#" + c.polarisation + "#" + std::to_string(c.symbolRate) + "#" + c.fec + "#" +
                 c.encryption + "#" + (c.hd ? "1" : "0") + "\n";
    }
    return std::to_string(count) + "\n" + lines;
}
