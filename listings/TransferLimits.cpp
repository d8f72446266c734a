#include "TransferLimits.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <memory>

#include "eConfig.h"

namespace {

// A missing, malformed or non-positive setting keeps the default: libcurl
// would take 0 as "no limit". Values too large for the target saturate (long
// is 32 bits on the receiver).
template <typename T>
void readPositive(const char* key, T& target, T unit = 1) {
    char* text = nullptr;
    if (eConfig::instance()->getKey(key, text) != 0 || !text) return;
    const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value <= 0) return;
    const T most = std::numeric_limits<T>::max() / unit;
    target = (static_cast<unsigned long long>(value) > static_cast<unsigned long long>(most)
                  ? most
                  : T(value)) *
             unit;
}

}  // namespace

TransferLimits TransferLimits::fromConfig(Kind kind) {
    TransferLimits limits;
    readPositive("/matchray/connect_timeout", limits.connectSeconds);
    readPositive("/matchray/stall_timeout", limits.lowSpeedSeconds);
    if (kind == Kind::answer) {
        readPositive("/matchray/answer_timeout", limits.totalMilliseconds, 1000L);
        readPositive("/matchray/max_answer_kib", limits.maxBodyBytes, int64_t(1024));
    } else {
        limits.totalMilliseconds = 10000;
        limits.maxBodyBytes = 512 * 1024;
        readPositive("/matchray/picture_timeout", limits.totalMilliseconds, 1000L);
        readPositive("/matchray/max_picture_kib", limits.maxBodyBytes, int64_t(1024));
    }
    return limits;
}

long TransferLimits::picturePassMilliseconds() {
    long milliseconds = 30000;
    readPositive("/matchray/picture_pass_timeout", milliseconds, 1000L);
    return milliseconds;
}

RecordCaps RecordCaps::fromConfig() {
    RecordCaps caps;
    readPositive("/matchray/max_matches", caps.matches);
    readPositive("/matchray/max_satellites", caps.satellites);
    readPositive("/matchray/max_channels", caps.channels);
    return caps;
}
