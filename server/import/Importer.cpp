#include "Importer.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>
#include <stdexcept>

#include "DatabaseError.h"
#include "FieldRule.h"
#include "KickoffTime.h"
#include "OrbitalPosition.h"

using nlohmann::json;

namespace {

constexpr std::size_t maxPictureBytes = 1024 * 1024;

class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One JSON object of a section, with what is needed to name it in messages.
class Record {
public:
    Record(const json& object, std::string section, std::size_t index)
        : object(object), label(section + "[" + std::to_string(index) + "]") {
        if (!object.is_object()) fail("is not an object");
    }

    // Adds the record's key to its label: "matches[3] (id 104)".
    void identify(const std::string& key) { label += " (" + key + ")"; }

    [[noreturn]] void fail(const std::string& problem) const {
        throw ImportError(label + " " + problem);
    }
    [[noreturn]] void failField(const std::string& field, const std::string& problem) const {
        throw ImportError(label + ", field \"" + field + "\": " + problem);
    }

    void onlyFields(std::initializer_list<const char*> known) const {
        for (const auto& item : object.items()) {
            bool found = false;
            for (const char* k : known) found = found || item.key() == k;
            if (!found) failField(item.key(), "is not a known field");
        }
    }

    const json& field(const std::string& name) const {
        auto it = object.find(name);
        if (it == object.end()) failField(name, "is missing");
        return *it;
    }

    std::int32_t int32(const std::string& name,
                       std::int64_t min = std::numeric_limits<std::int32_t>::min()) const {
        const json& v = field(name);
        if (!v.is_number_integer()) failField(name, "is not a whole number");
        const std::int64_t n = v.is_number_unsigned() && v.get<std::uint64_t>() > INT64_MAX
                                   ? INT64_MAX
                                   : v.get<std::int64_t>();
        if (n < min || n > std::numeric_limits<std::int32_t>::max()) {
            failField(name, "is out of range (" + std::to_string(min) + " to 2147483647)");
        }
        return static_cast<std::int32_t>(n);
    }

    std::string string(const std::string& name) const {
        const json& v = field(name);
        if (!v.is_string()) failField(name, "is not a string");
        return v.get<std::string>();
    }

    std::string text(const FieldRule& rule, const std::string& name) const {
        std::string value = string(name);
        if (auto problem = rule.problem(value)) failField(name, *problem);
        return value;
    }

    bool flag(const std::string& name) const {
        const json& v = field(name);
        if (v.is_boolean()) return v.get<bool>();
        if (v.is_number_integer() && (v.get<std::int64_t>() == 0 || v.get<std::int64_t>() == 1)) {
            return v.get<std::int64_t>() == 1;
        }
        failField(name, "is not true, false, 0 or 1");
    }

    const json& object;
    std::string label;
};

const json& section(const json& doc, const char* name) {
    static const json empty = json::array();
    auto it = doc.find(name);
    if (it == doc.end()) return empty;
    if (!it->is_array()) throw ImportError(std::string("\"") + name + "\" is not an array");
    return *it;
}

std::string readFile(const std::string& path, std::size_t limit, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be read from " + path;
        return {};
    }
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > limit) {
            error = "is larger than " + std::to_string(limit) + " bytes: " + path;
            return {};
        }
    }
    if (in.bad()) error = "cannot be read from " + path;
    return bytes;
}

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

class Transaction {
public:
    explicit Transaction(Database& db) : db(db) { db.exec("BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!done) {
            try {
                db.exec("ROLLBACK");
            } catch (const DatabaseError&) {
                // Nothing more to undo.
            }
        }
    }
    void commit() {
        db.exec("COMMIT");
        done = true;
    }

private:
    Database& db;
    bool done = false;
};

// Runs an insert; a constraint the checks above let through still names the record.
void run(Statement& statement, const Record& record) {
    try {
        statement.run();
    } catch (const DatabaseError& e) {
        statement.reset();
        record.fail(std::string("is refused by the database: ") + e.what());
    }
}

void importChannels(Database& db, const json& doc, Importer::Result& result) {
    Statement insert = db.prepare(
        "INSERT INTO channels (id, name, position_tenths, direction, frequency, polarisation, "
        "symbol_rate, fec, encryption, hd) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
        "ON CONFLICT (id) DO UPDATE SET name = ?2, position_tenths = ?3, direction = ?4, "
        "frequency = ?5, polarisation = ?6, symbol_rate = ?7, fec = ?8, encryption = ?9, hd = ?10");
    std::set<std::int32_t> seen;
    const json& channels = section(doc, "channels");
    for (std::size_t i = 0; i < channels.size(); ++i) {
        Record r(channels[i], "channels", i);
        const std::int32_t id = r.int32("id");
        r.identify("id " + std::to_string(id));
        r.onlyFields({"id", "name", "satellite", "frequency", "polarisation", "symbol_rate", "fec",
                      "encryption", "hd"});
        if (!seen.insert(id).second) r.failField("id", "appears twice in the document");

        std::string frequency;
        const json& f = r.field("frequency");
        if (f.is_number_integer()) {
            frequency = std::to_string(f.get<std::int64_t>());
            if (auto problem = FieldRule::frequency.problem(frequency)) {
                r.failField("frequency", *problem);
            }
        } else {
            frequency = r.text(FieldRule::frequency, "frequency");
        }
        const std::string satellite = r.string("satellite");
        const auto position = OrbitalPosition::parse(satellite);
        if (!position) {
            r.failField("satellite", "is not an orbital position such as \"19.2e\" or \"1.0w\"");
        }

        insert.bind(1, id)
            .bind(2, r.text(FieldRule::channelName, "name"))
            .bind(3, position->tenths)
            .bind(4, position->directionText())
            .bind(5, frequency)
            .bind(6, r.text(FieldRule::polarisation, "polarisation"))
            .bind(7, r.int32("symbol_rate", 1))
            .bind(8, r.text(FieldRule::fec, "fec"))
            .bind(9, r.text(FieldRule::encryption, "encryption"))
            .bind(10, r.flag("hd") ? 1 : 0);
        run(insert, r);
        ++result.channels;
    }
}

void importPictures(Database& db, const json& doc, const std::string& baseDir,
                    Importer::Result& result) {
    Statement insert = db.prepare(
        "INSERT INTO pictures (name, data) VALUES (?1, ?2) ON CONFLICT (name) DO UPDATE SET data = "
        "?2");
    std::set<std::string> seen;
    const json& pictures = section(doc, "pictures");
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        Record r(pictures[i], "pictures", i);
        const std::string name = r.text(FieldRule::pictureName, "name");
        r.identify("name \"" + name + "\"");
        r.onlyFields({"name", "file"});
        if (!seen.insert(name).second) r.failField("name", "appears twice in the document");
        // Pictures are served as image/png, and nothing else is.
        if (!endsWith(name, ".png")) r.failField("name", "doesn't end in .png");

        std::string file = r.string("file");
        if (file.empty()) r.failField("file", "is empty");
        if (file.front() != '/' && !baseDir.empty()) file = baseDir + "/" + file;
        std::string error;
        const std::string bytes = readFile(file, maxPictureBytes, error);
        if (!error.empty()) r.failField("file", error);
        if (bytes.empty()) r.failField("file", "is empty: " + file);
        if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
            r.failField("file", "is not a PNG file: " + file);
        }
        insert.bind(1, name).bindBlob(2, bytes);
        run(insert, r);
        ++result.pictures;
    }
}

void importMatches(Database& db, const json& doc, std::int64_t nowUtc, Importer::Result& result) {
    Statement insert = db.prepare(
        "INSERT INTO matches (id, title, country1, picture, country2, kickoff_utc) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT (id) DO UPDATE SET title = ?2, "
        "country1 = ?3, picture = ?4, country2 = ?5, kickoff_utc = ?6");
    Statement clearChannels = db.prepare("DELETE FROM match_channels WHERE match_id = ?1");
    Statement channelExists = db.prepare("SELECT 1 FROM channels WHERE id = ?1");
    Statement addChannel = db.prepare(
        "INSERT INTO match_channels (match_id, channel_id, ordinal) VALUES (?1, ?2, ?3)");
    std::set<std::int32_t> seen;
    const json& matches = section(doc, "matches");
    for (std::size_t i = 0; i < matches.size(); ++i) {
        Record r(matches[i], "matches", i);
        const std::int32_t id = r.int32("id");
        r.identify("id " + std::to_string(id));
        r.onlyFields({"id", "title", "country1", "picture", "country2", "kickoff", "channels"});
        if (!seen.insert(id).second) r.failField("id", "appears twice in the document");

        const std::string kickoffText = r.string("kickoff");
        const auto kickoff = KickoffTime::parse(kickoffText, nowUtc);
        if (!kickoff) {
            r.failField("kickoff",
                        "is neither \"YYYY-MM-DDTHH:MM[:SS]Z\" (or with \"+HH:MM\") nor "
                        "\"today[+N] HH:MM\"");
        }
        insert.bind(1, id)
            .bind(2, r.text(FieldRule::title, "title"))
            .bind(3, r.text(FieldRule::country1, "country1"))
            .bind(4, r.text(FieldRule::picture, "picture"))
            .bind(5, r.text(FieldRule::country2, "country2"))
            .bind(6, *kickoff);
        run(insert, r);
        clearChannels.bind(1, id);
        run(clearChannels, r);

        const json& channels = r.field("channels");
        if (!channels.is_array()) r.failField("channels", "is not an array of channel ids");
        std::set<std::int64_t> carried;
        for (std::size_t k = 0; k < channels.size(); ++k) {
            const std::string name = "channels[" + std::to_string(k) + "]";
            const json& c = channels[k];
            if (!c.is_number_integer()) r.failField(name, "is not a channel id");
            const std::int64_t channel = c.get<std::int64_t>();
            if (!carried.insert(channel).second) r.failField(name, "names a channel twice");
            channelExists.bind(1, channel);
            const bool exists = channelExists.step();
            channelExists.reset();
            if (!exists) r.failField(name, "names no channel: " + std::to_string(channel));
            addChannel.bind(1, id).bind(2, channel).bind(3, static_cast<std::int64_t>(k));
            run(addChannel, r);
        }
        ++result.matches;
    }
}

}  // namespace

Importer::Result Importer::importFile(const std::string& jsonPath) {
    std::ifstream in(jsonPath, std::ios::binary);
    if (!in) {
        Result result;
        result.error = "cannot read " + jsonPath;
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::size_t slash = jsonPath.rfind('/');
    return importText(text.str(), slash == std::string::npos ? "." : jsonPath.substr(0, slash));
}

Importer::Result Importer::importText(const std::string& jsonText, const std::string& baseDir) {
    Result result;
    json doc;
    try {
        doc = json::parse(jsonText);
    } catch (const json::parse_error& e) {
        result.error = std::string("not valid JSON: ") + e.what();
        return result;
    }
    try {
        if (!doc.is_object()) throw ImportError("the document is not a JSON object");
        for (const auto& item : doc.items()) {
            if (item.key() != "channels" && item.key() != "pictures" && item.key() != "matches") {
                throw ImportError("\"" + item.key() + "\" is not a known section");
            }
        }
        Transaction transaction(db);
        importChannels(db, doc, result);
        importPictures(db, doc, baseDir, result);
        importMatches(db, doc, nowUtc, result);
        transaction.commit();
    } catch (const ImportError& e) {
        result = Result();
        result.error = e.what();
    } catch (const DatabaseError& e) {
        result = Result();
        result.error = std::string("database: ") + e.what();
    }
    return result;
}
