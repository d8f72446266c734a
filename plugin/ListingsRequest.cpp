#include "ListingsRequest.h"

#include <cstdio>
#include <cstdlib>

#include "HttpTransfer.h"
#include "SafeFile.h"
#include "ServerSettings.h"
#include "eConfig.h"

eString ListingsRequest::timeZone() {
    eString zone = "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb";
    char* value = nullptr;
    if (eConfig::instance()->getKey("/elitedvb/timezone", value) == 0 && value) {
        zone.sprintf("%s", value);
        std::free(value);
    }
    return zone;
}

eString ListingsRequest::body(const eString& timeZone, const eString& deviceIdentity) {
    return eString("z=" + timeZone + "&m=" + deviceIdentity);
}

ListingsRequest::Outcome ListingsRequest::send(const std::string& answerPath, const eString& body) {
    UniqueFile file{SafeFile::openForWrite(answerPath)};
    if (!file) return Outcome::noFile;
    int result = 1;
    {
        HttpTransfer transfer;
        result = transfer.post(
            "http://" + ServerSettings::listingsHost() + "/pitchsidenew/matchray_data_dm.php", "PS",
            body, file.get());
    }
    // A write that failed leaves a cut answer: never read it as a whole one.
    const bool written = SafeFile::close(file);
    return result == 0 && written ? Outcome::ok : Outcome::failed;
}
