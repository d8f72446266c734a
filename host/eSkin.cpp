#include "eSkin.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool parseColor(const std::string& text, gColor& color) {
    if (text.size() != 7 && text.size() != 9) return false;
    if (text[0] != '#') return false;
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str() + 1, &end, 16);
    if (*end != '\0') return false;
    if (text.size() == 7) value |= 0xff000000ul;
    color = gColor(static_cast<uint32_t>(value));
    return true;
}

std::string defaultSkinPath() {
    const char* fromEnvironment = std::getenv("MATCHRAY_SKIN");
    if (fromEnvironment && *fromEnvironment) return fromEnvironment;
    return MATCHRAY_DATA_DIR "/skin.conf";
}

}  // namespace

eSkin* eSkin::getActive() {
    static eSkin* active = [] {
        auto* skin = new eSkin;
        std::string error;
        if (!skin->load(defaultSkinPath(), &error)) std::fprintf(stderr, "%s\n", error.c_str());
        return skin;
    }();
    return active;
}

bool eSkin::load(const std::string& path, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "skin: can't read " + path;
        return false;
    }
    const std::string folder =
        path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#') continue;
        std::string name;
        bool ok = false;
        if (keyword == "color") {
            std::string value;
            gColor color;
            ok = (words >> name >> value) && parseColor(value, color);
            if (ok) colors[name] = color;
        } else if (keyword == "font") {
            std::string family;
            int size = 0;
            ok = (words >> name >> family >> size) && size > 0;
            if (ok) fonts[name] = gFont(family, size);
        } else if (keyword == "fontfile") {
            std::string file;
            ok = static_cast<bool>(words >> name >> file);
            if (ok) {
                if (file[0] != '/') file = folder + "/" + file;
                fontFiles[name] = file;
                if (defaultFamily.empty()) defaultFamily = name;
            }
        } else if (keyword == "deco") {
            Deco deco;
            std::string colorName;
            ok = (words >> name >> deco.border >> colorName) && deco.border >= 0;
            if (ok) {
                deco.color = queryColor(colorName);
                decos[name] = deco;
            }
        }
        if (!ok) {
            if (error) *error = path + ":" + std::to_string(number) + ": bad line: " + line;
            return false;
        }
    }
    return true;
}

gColor eSkin::queryColor(const eString& name) const {
    auto found = colors.find(name);
    return found == colors.end() ? gColor(0xff000000u) : found->second;
}

gFont eSkin::queryFont(const eString& name) const {
    auto found = fonts.find(name);
    return found == fonts.end() ? gFont("", 16) : found->second;
}

const char* eSkin::colorName(const gColor& color) const {
    for (const auto& [name, value] : colors) {
        if (value == color) return name.c_str();
    }
    return nullptr;
}

std::string eSkin::fontFile(const eString& family) const {
    auto found = fontFiles.find(family);
    if (found != fontFiles.end()) return found->second;
    found = fontFiles.find(defaultFamily);
    return found == fontFiles.end() ? std::string() : found->second;
}

eSkin::Deco eSkin::queryDeco(const eString& name) const {
    auto found = decos.find(name);
    return found == decos.end() ? Deco() : found->second;
}
