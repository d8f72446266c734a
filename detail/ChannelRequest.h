#pragma once
// The channel request for a chosen match: a POST to the listings server's
// channel script whose answer, the channel file, lands in a file; and the
// reading of that file into channel records.

#include <cstdint>
#include <list>
#include <string>

#include "eString.h"
#include "match_ray_channels.h"

class ChannelRequest {
public:
    enum class Transfer {
        done,              // the answer is in the file
        cannotCreateFile,  // the file can't be created; nothing was sent
        failed,            // no connection, a time-out, an HTTP status of 400 and above, an
                           // answer over its size cap, or a failed write of the answer
    };

    static constexpr const char* scriptPath = "/pitchsidenew/matchray_channels_dm.php";

    // "id=ID&f=FILTER&m=" followed by the device identity, unescaped.
    static std::string body(int32_t matchId, int32_t filter, const eString& deviceIdentity);
    static std::string url();

    // Posts the request with the User-Agent "PS" and stores the answer at answerPath.
    static Transfer fetch(const std::string& answerPath, int32_t matchId, int32_t filter,
                          const eString& deviceIdentity);

    // Reads the answer into channels, at most the configured number, and
    // removes the file. False when the file is malformed: too few lines, or
    // none at all; channels then stays empty.
    // A file that can't be opened gives true and no channels.
    static bool readAnswer(const std::string& answerPath, std::list<match_ray_channels>& channels);
};
