#include "SdlDriver.h"

#include <SDL.h>

#include "eDesktop.h"
#include "gFBDC.h"
#include "loadPNG.h"

namespace {

// The window shows at most this many frames a second.
constexpr Uint32 frameInterval = 33;
// How long one step waits for an event.
constexpr int pollTimeout = 10;

eKey keyFor(SDL_Keycode code) {
    switch (code) {
        case SDLK_UP:
            return eKey::up;
        case SDLK_DOWN:
            return eKey::down;
        case SDLK_LEFT:
            return eKey::left;
        case SDLK_RIGHT:
            return eKey::right;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return eKey::ok;
        case SDLK_ESCAPE:
        case SDLK_BACKSPACE:
            return eKey::exit;
        case SDLK_F1:
        case SDLK_r:
            return eKey::red;
        case SDLK_F2:
        case SDLK_g:
            return eKey::green;
        case SDLK_F3:
        case SDLK_y:
            return eKey::yellow;
        case SDLK_F4:
        case SDLK_b:
            return eKey::blue;
        default:
            return eKey::none;
    }
}

// SDL_TICKS_PASSED without the macro's old-style casts.
bool reached(Uint32 now, Uint32 when) {
    return static_cast<Sint32>(when - now) <= 0;
}

}  // namespace

std::unique_ptr<SdlDriver> SdlDriver::open(std::istream* script, const std::string& title,
                                           std::string& error) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot start SDL: ") + SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<SdlDriver> driver(new SdlDriver(script));
    driver->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                      gFBDC::screenWidth, gFBDC::screenHeight, 0);
    if (driver->window) driver->renderer = SDL_CreateRenderer(driver->window, -1, 0);
    if (driver->renderer) {
        driver->texture =
            SDL_CreateTexture(driver->renderer, SDL_PIXELFORMAT_ARGB8888,
                              SDL_TEXTUREACCESS_STREAMING, gFBDC::screenWidth, gFBDC::screenHeight);
    }
    if (!driver->texture) {
        error = std::string("cannot open the window: ") + SDL_GetError();
        return nullptr;
    }
    // The framebuffer's alpha is not meant for the window: copy, don't blend.
    SDL_SetTextureBlendMode(driver->texture, SDL_BLENDMODE_NONE);
    return driver;
}

SdlDriver::~SdlDriver() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
}

void SdlDriver::step(eMainLoop& loop) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, pollTimeout)) {
        handleEvent(loop, event);
        while (SDL_PollEvent(&event)) handleEvent(loop, event);
    }
    loop.processPending();
    const Uint32 now = SDL_GetTicks();
    if (closing) {
        pressKey(loop, eKey::exit);
    } else if (!hasScriptEnded() && reached(now, scriptResumesAt)) {
        playNext(loop);
    }
    if (exposed || reached(SDL_GetTicks(), lastPresent + frameInterval)) presentFrame();
}

void SdlDriver::handleEvent(eMainLoop& loop, const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            closing = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) closing = true;
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED) exposed = true;
            break;
        case SDL_KEYDOWN: {
            const eKey key = keyFor(event.key.keysym.sym);
            if (key != eKey::none && !closing) pressKey(loop, key);
            break;
        }
        default:
            break;
    }
}

void SdlDriver::present() {
    presentFrame();
    // Let the window system see that the window is alive during blocking work.
    SDL_PumpEvents();
}

void SdlDriver::renderFrame() {
    gPixmap& screen = gFBDC::getInstance()->getPixmap();
    screen.lock();
    SDL_UpdateTexture(texture, nullptr, screen.row(0), screen.width() * 4);
    screen.unlock();
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
}

void SdlDriver::presentFrame() {
    renderFrame();
    SDL_RenderPresent(renderer);
    exposed = false;
    lastPresent = SDL_GetTicks();
}

void SdlDriver::waitFor(eMainLoop&, int milliseconds) {
    // Events keep flowing while the script waits.
    scriptResumesAt = SDL_GetTicks() + static_cast<Uint32>(milliseconds);
}

bool SdlDriver::saveShot(const std::string& file, std::string& error) {
    eDesktop::instance().redrawIfNeeded();
    // Read back what the window's renderer drew, not the framebuffer itself.
    renderFrame();
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(renderer, &width, &height) != 0 || width <= 0 || height <= 0) {
        error = std::string("cannot read the window: ") + SDL_GetError();
        return false;
    }
    gPixmap shot(width, height);
    const bool read = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shot.row(0),
                                           width * 4) == 0;
    SDL_RenderPresent(renderer);
    lastPresent = SDL_GetTicks();
    if (!read) {
        error = std::string("cannot read the window: ") + SDL_GetError();
        return false;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) shot.setPixel(x, y, shot.pixel(x, y) | 0xff000000u);
    }
    if (!savePNG(file, shot)) {
        error = "cannot write " + file;
        return false;
    }
    return true;
}
