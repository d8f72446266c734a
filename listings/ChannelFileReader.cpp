#include "ChannelFileReader.h"

#include "FieldScanner.h"
#include "SafeFile.h"

namespace {

using Text = FieldScanner::Text;

constexpr size_t longCapacity = 99;  // name, encryption
constexpr size_t shortCapacity = 9;  // the other text fields

}  // namespace

ChannelFileReader::Result ChannelFileReader::read(const std::string& path,
                                                  std::list<match_ray_channels>& channels,
                                                  size_t maxChannels) {
    UniqueFile file{SafeFile::openForRead(path)};
    if (!file) return Result::cannotOpen;
    return read(file.get(), channels, maxChannels);
}

// As in the listings file, a line that yields some fields makes a record whose
// unread fields keep the line before's values; a line that yields nothing
// discards everything read.
ChannelFileReader::Result ChannelFileReader::read(FILE* file,
                                                  std::list<match_ray_channels>& channels,
                                                  size_t maxChannels) {
    FieldScanner in(file);
    int32_t count = 0;
    if (in.scan("%d\n", {&count}) <= 0) return Result::malformed;

    std::list<match_ray_channels> read;
    match_ray_channels c;
    for (int32_t i = 0; i < count; ++i) {
        int fields = in.scan(
            "%d#%d#%[^#]#%[^#]#%[^#]#%[^#]#%[^#]#%d#%[^#]#%[^#]#%d\n",
            {&c.id_a, &c.id_b, Text{&c.name, longCapacity}, Text{&c.sat_position, shortCapacity},
             Text{&c.sat_direction, shortCapacity}, Text{&c.frequency, shortCapacity},
             Text{&c.polarisation, shortCapacity}, &c.symbol_rate, Text{&c.fec, shortCapacity},
             Text{&c.encryption, longCapacity}, &c.hd});
        if (fields <= 0) return Result::malformed;
        if (read.size() < maxChannels) read.push_back(c);
    }
    channels.splice(channels.end(), read);
    return Result::ok;
}
