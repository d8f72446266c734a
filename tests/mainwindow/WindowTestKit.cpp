#include "WindowTestKit.h"

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "eConfig.h"
#include "eDesktop.h"
#include "eMainLoop.h"
#include "eMatchrayChoice.h"
#include "eWidget.h"

std::string listingsText(const std::vector<matchray_matches>& matches,
                         const std::vector<matchray_satellites>& satellites) {
    std::string text = std::to_string(matches.size()) + "\n";
    for (const matchray_matches& m : matches)
        text += std::to_string(m.id) + "#" + m.title + "#" + m.country1 + "#" + m.picture + "#" +
                m.country2 + "#" + m.kickoff + "\n";
    text += std::to_string(satellites.size()) + "\n";
    for (const matchray_satellites& s : satellites)
        text += std::to_string(s.match_id) + "#" + s.sat_position + "#" + s.sat_direction + "\n";
    return text;
}

matchray_matches makeMatch(int id, const std::string& title, const std::string& picture,
                           const std::string& country1, const std::string& country2,
                           const std::string& kickoff) {
    matchray_matches m;
    m.id = id;
    m.title = title;
    // The listings file has no empty fields; "-" names no picture file.
    m.picture = picture.empty() ? "-" : picture;
    m.country1 = country1.empty() ? "-" : country1;
    m.country2 = country2.empty() ? "-" : country2;
    m.kickoff = kickoff;
    return m;
}

matchray_satellites makeSatellite(int matchId, const std::string& position,
                                  const std::string& direction) {
    matchray_satellites s;
    s.match_id = matchId;
    s.sat_position = position;
    s.sat_direction = direction;
    return s;
}

WindowRig::WindowRig() {
    server.server().Post("/pitchsidenew/matchray_channels_dm.php",
                         [this](const httplib::Request&, httplib::Response& response) {
                             std::lock_guard<std::mutex> lock(mutex);
                             response.status = channelStatus;
                             response.set_content(channelBody, "text/plain");
                         });
    server.server().Get(R"(/fix/(.*))", [](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
    });
    server.start();
    eConfig::instance()->setKey("/matchray/listings_host", server.hostPort().c_str());
    eConfig::instance()->setKey("/matchray/pictures_host", server.hostPort().c_str());
}

WindowRig::~WindowRig() {
    server.stop();
}

void WindowRig::writeListings(const std::vector<matchray_matches>& matches,
                              const std::vector<matchray_satellites>& satellites) const {
    root.writeFile("/tmp/psn", listingsText(matches, satellites));
}

void WindowRig::install(const std::string& receiverPath, const std::string& sourceFile) const {
    namespace fs = std::filesystem;
    fs::create_directories(fs::path(root.real(receiverPath)).parent_path());
    fs::copy_file(std::string(MATCHRAY_SOURCE_DIR) + "/" + sourceFile, root.real(receiverPath),
                  fs::copy_options::overwrite_existing);
}

void WindowRig::setChannelAnswer(int status, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex);
    channelStatus = status;
    channelBody = body;
}

std::vector<LoopbackServer::Request> WindowRig::channelRequests() {
    std::vector<LoopbackServer::Request> found;
    for (const LoopbackServer::Request& r : server.requests())
        if (r.path == "/pitchsidenew/matchray_channels_dm.php") found.push_back(r);
    return found;
}

namespace {

class StepDriver : public eLoopDriver {
public:
    explicit StepDriver(std::vector<std::function<void()>> steps) : steps(std::move(steps)) {}

    void step(eMainLoop& loop) override {
        if (next < steps.size()) {
            // Taken before it runs: the step may open a loop that calls back here.
            std::function<void()> current = std::move(steps[next++]);
            current();
        } else if (eDesktop::instance().topModal()) {
            ADD_FAILURE() << "the steps ended with a modal window open; pressing exit";
            eDesktop::instance().handleKey(eKey::exit);
        }
        loop.runFor(2);
    }

private:
    std::vector<std::function<void()>> steps;
    size_t next = 0;
};

}  // namespace

int execWithSteps(eWidget& window, std::vector<std::function<void()>> steps) {
    StepDriver driver(std::move(steps));
    eLoopDriver* previous = eMainLoop::instance().driver();
    eMainLoop::instance().setDriver(&driver);
    const int result = window.exec();
    eMainLoop::instance().setDriver(previous);
    return result;
}

std::vector<eButton*> buttonsOf(eWidget* window) {
    std::vector<eButton*> buttons;
    for (eWidget* child : window->getChildren())
        if (auto* button = dynamic_cast<eButton*>(child)) buttons.push_back(button);
    return buttons;
}

eListBox<eMatchrayChoice>* listOf(eWidget* window) {
    for (eWidget* child : window->getChildren())
        if (child->getName() == "choices") return dynamic_cast<eListBox<eMatchrayChoice>*>(child);
    return nullptr;
}

eLabel* tickerOf(eWidget* window) {
    for (eWidget* child : window->getChildren())
        if (std::string(child->kind()) == "eLabel") return dynamic_cast<eLabel*>(child);
    return nullptr;
}

std::vector<std::string> titlesOf(eWidget* window) {
    std::vector<std::string> titles;
    eListBox<eMatchrayChoice>* list = listOf(window);
    if (!list) return titles;
    for (int i = 0; i < list->getCount(); ++i)
        titles.push_back(static_cast<eMatchrayChoice*>(list->getEntry(i))->getMatch().title);
    return titles;
}
