#include "ScreenPicture.h"

#include <map>

#include "eReceiverRoot.h"
#include "eWindow.h"
#include "loadPNG.h"

namespace {

// The test plug-in's window has its client area at (60, 60).
constexpr ePoint client(60, 60);

}  // namespace

std::unique_ptr<gPixmap> loadShot(const std::string& realPath) {
    // loadPNG wants a receiver path, so the shot must lie under the receiver root.
    return std::unique_ptr<gPixmap>(loadPNG(eReceiverRoot::unmap(realPath).c_str()));
}

int pixelsOffBackground(const gPixmap& picture, const eRect& area) {
    std::map<uint32_t, int> counts;
    for (int y = area.top(); y < area.bottom(); ++y) {
        for (int x = area.left(); x < area.right(); ++x) ++counts[picture.pixel(x, y)];
    }
    int total = 0, most = 0;
    for (const auto& [color, count] : counts) {
        total += count;
        most = std::max(most, count);
    }
    return total - most;
}

eRect titleArea() {
    return eRect(client.x, client.y - eWindow::titleHeight, 600, eWindow::titleHeight);
}

eRect statusArea() {
    return eRect(client.x + 10, client.y + 270, 580, 30);
}
