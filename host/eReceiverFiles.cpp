#include "eReceiverFiles.h"

#include <atomic>

namespace {

std::atomic<eReceiverFiles::Mapping> mapping{nullptr};

}  // namespace

void eReceiverFiles::setMapping(Mapping newMapping) {
    mapping.store(newMapping);
}

std::string eReceiverFiles::locate(const std::string& receiverPath) {
    const Mapping current = mapping.load();
    return current ? current(receiverPath) : receiverPath;
}
