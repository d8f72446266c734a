#include "ChannelFileReader.h"
#include "ListingsLoader.h"

#include <gtest/gtest.h>

#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"

namespace {

// Fields joined by '#', each as it is or, when long, as its length.
std::string join(std::initializer_list<std::string> fields) {
    std::string text;
    for (const std::string& f : fields)
        text += (&f == fields.begin() ? "" : "#") +
                (f.size() > 16 ? "<" + std::to_string(f.size()) + " bytes>" : f);
    return text;
}

// "STATUS#MATCHES#SATELLITES | last match | last satellite".
std::string loadListings(const std::string& path) {
    const ListingsLoader::Result r = ListingsLoader::load(path);
    std::string text = join({std::to_string(r.status), std::to_string(r.matches.size()),
                             std::to_string(r.satellites.size())});
    const matchray_matches& m = r.matches.empty() ? matchray_matches() : r.matches.back();
    const matchray_satellites& s =
        r.satellites.empty() ? matchray_satellites() : r.satellites.back();
    if (!r.matches.empty())
        text += " | " +
                join({std::to_string(m.id), m.title, m.country1, m.picture, m.country2, m.kickoff});
    if (!r.satellites.empty())
        text += " | " + join({std::to_string(s.match_id), s.sat_position, s.sat_direction});
    return text;
}

// "RESULT#CHANNELS | last channel", read with a cap of 3 channels.
std::string readChannels(const std::string& path) {
    std::list<match_ray_channels> channels;
    std::string text = join({std::to_string(int(ChannelFileReader::read(path, channels, 3))),
                             std::to_string(channels.size())});
    const match_ray_channels& c = channels.empty() ? match_ray_channels() : channels.back();
    if (!channels.empty())
        text += " | " +
                join({std::to_string(c.id_a), std::to_string(c.id_b), c.name, c.sat_position,
                      c.sat_direction, c.frequency, c.polarisation, std::to_string(c.symbol_rate),
                      c.fec, c.encryption, std::to_string(c.hd)});
    return text;
}

// What read makes of an answer file holding bytes, or of none when bytes is null.
std::string fromFile(const std::string* bytes, std::string (*read)(const std::string& path)) {
    TempRoot root;
    if (bytes) root.writeFile("/tmp/psn", *bytes);
    return read(root.real("/tmp/psn"));
}

TEST(ListingsLoader, ReadsItsCorpusAsTheSnapshotShows) {
    expectSnapshot("listings-loader",
                   "(missing): " + fromFile(nullptr, loadListings) + "\n" +
                       overCorpus("listings_loader", [](const std::string& bytes) {
                           return fromFile(&bytes, loadListings);
                       }));
}

TEST(ListingsLoader, RemovesTheFileItRead) {
    for (const std::string& file : corpusFiles("listings_loader")) {
        TempRoot root;
        root.writeFile("/tmp/psn", readBinary(file));
        ListingsLoader::load(root.real("/tmp/psn"));
        EXPECT_FALSE(root.exists("/tmp/psn")) << file;
    }
}

TEST(ChannelFileReader, ReadsItsCorpusAsTheSnapshotShows) {
    expectSnapshot("channel-file", "(missing): " + fromFile(nullptr, readChannels) + "\n" +
                                       overCorpus("channel_file", [](const std::string& bytes) {
                                           return fromFile(&bytes, readChannels);
                                       }));
}

}  // namespace
