#include "ChannelRequest.h"

#include <cstdio>

#include "ChannelFileReader.h"
#include "HttpTransfer.h"
#include "SafeFile.h"
#include "ServerSettings.h"
#include "TransferLimits.h"

std::string ChannelRequest::body(int32_t matchId, int32_t filter, const eString& deviceIdentity) {
    return eString().sprintf("id=%d&f=%d&m=", matchId, filter) + deviceIdentity;
}

std::string ChannelRequest::url() {
    return "http://" + ServerSettings::listingsHost() + scriptPath;
}

ChannelRequest::Transfer ChannelRequest::fetch(const std::string& answerPath, int32_t matchId,
                                               int32_t filter, const eString& deviceIdentity) {
    UniqueFile answer{SafeFile::openForWrite(answerPath)};
    if (!answer) return Transfer::cannotCreateFile;
    int result;
    {
        HttpTransfer transfer;
        result = transfer.post(url(), "PS", body(matchId, filter, deviceIdentity), answer.get());
    }
    const bool written = SafeFile::close(answer);
    return result == 0 && written ? Transfer::done : Transfer::failed;
}

bool ChannelRequest::readAnswer(const std::string& answerPath,
                                std::list<match_ray_channels>& channels) {
    std::list<match_ray_channels> read;
    const ChannelFileReader::Result result =
        ChannelFileReader::read(answerPath, read, RecordCaps::fromConfig().channels);
    std::remove(answerPath.c_str());
    if (result == ChannelFileReader::Result::malformed) return false;
    channels.splice(channels.end(), read);
    return true;
}
