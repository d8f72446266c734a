#pragma once
// The window front end: a 720 x 576 SDL2 window that shows the framebuffer and
// turns keyboard keys into remote control keys. A script, when given, runs
// between event polls; after it the window stays under the user's control.
// Closing the window sends exit until the plug-in has returned.

#include <memory>
#include <string>

#include "ScriptDriver.h"

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;
union SDL_Event;

class SdlDriver : public ScriptDriver {
public:
    // Opens the window; null with a message in error when SDL can't.
    static std::unique_ptr<SdlDriver> open(std::istream* script, const std::string& title,
                                           std::string& error);
    ~SdlDriver() override;

    void step(eMainLoop& loop) override;
    void present() override;

protected:
    void waitFor(eMainLoop& loop, int milliseconds) override;
    bool saveShot(const std::string& file, std::string& error) override;

private:
    explicit SdlDriver(std::istream* script) : ScriptDriver(script) {}
    void handleEvent(eMainLoop& loop, const SDL_Event& event);
    // Copies the framebuffer into the window's back buffer.
    void renderFrame();
    void presentFrame();

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool closing = false;
    bool exposed = true;
    unsigned scriptResumesAt = 0;
    unsigned lastPresent = 0;
};
