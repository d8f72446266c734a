#pragma once
// Reads the channel file: a count line, then that many channel lines
// "id_a#id_b#name#sat_position#sat_direction#frequency#polarisation#symbol_rate#fec#encryption#hd".
// Text fields are cut at their capacities, never inside a UTF-8 sequence.

#include <cstdio>
#include <list>
#include <string>

#include "TransferLimits.h"
#include "match_ray_channels.h"

class ChannelFileReader {
public:
    enum class Result {
        ok,          // every counted line was read; lines after them are ignored
        cannotOpen,  // the file can't be opened for reading
        malformed,   // the count or a counted line yields nothing; channels is left as it was
    };

    // Reads the file at path into channels (appending), keeping at most
    // maxChannels records; the lines past that are read and discarded. Does
    // not remove the file. A symbolic link at the path is not followed: it
    // counts as cannotOpen.
    static Result read(const std::string& path, std::list<match_ray_channels>& channels,
                       size_t maxChannels = RecordCaps().channels);
    // The same on an open stream, which is not closed.
    static Result read(FILE* file, std::list<match_ray_channels>& channels,
                       size_t maxChannels = RecordCaps().channels);
};
