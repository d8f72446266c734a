#pragma once
// What the main window tests share: a receiver root with a listings file and
// pictures, a loopback server standing in for the listings and picture
// servers, a way to run steps inside the window's modal loops, and finders
// for the window's widgets.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "LoopbackServer.h"
#include "TempRoot.h"
#include "eButton.h"
#include "eLabel.h"
#include "eListBox.h"
#include "matchray_matches.h"
#include "matchray_satellites.h"

class eMatchrayChoice;
class eWidget;

// The listings file text for these records.
std::string listingsText(const std::vector<matchray_matches>& matches,
                         const std::vector<matchray_satellites>& satellites);

matchray_matches makeMatch(int id, const std::string& title, const std::string& picture = "",
                           const std::string& country1 = "", const std::string& country2 = "",
                           const std::string& kickoff = "20:45");
matchray_satellites makeSatellite(int matchId, const std::string& position,
                                  const std::string& direction);

class WindowRig {
public:
    WindowRig();
    ~WindowRig();

    TempRoot root;
    LoopbackServer server;

    void writeListings(const std::vector<matchray_matches>& matches,
                       const std::vector<matchray_satellites>& satellites) const;
    // Copies a project file (relative to the source tree) to a receiver path.
    void install(const std::string& receiverPath, const std::string& sourceFile) const;

    // What the channel script answers from now on.
    void setChannelAnswer(int status, const std::string& body);
    // Bodies of the channel requests received so far.
    std::vector<LoopbackServer::Request> channelRequests();

private:
    std::mutex mutex;
    int channelStatus = 200;
    std::string channelBody = "0\n";
};

// Runs window modally (exec) while the steps run one after another, one per
// turn of the innermost modal loop, the way the emulator's script runs. A step
// that opens a modal window (ok on a match, an error box) is followed by the
// next step inside that window's loop; a step that closes a window is followed
// by the next only once that window's loop has ended. Should the steps end
// with the window still open, exit is pressed until it closes and the test
// fails. Returns what exec returned.
int execWithSteps(eWidget& window, std::vector<std::function<void()>> steps);

// The window's widgets, found by kind and name.
std::vector<eButton*> buttonsOf(eWidget* window);
eListBox<eMatchrayChoice>* listOf(eWidget* window);
eLabel* tickerOf(eWidget* window);
// The titles of the list's entries, in list order.
std::vector<std::string> titlesOf(eWidget* window);
