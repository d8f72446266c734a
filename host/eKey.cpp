#include "eKey.h"

#include <iterator>

namespace {

struct KeyEntry {
    eKey key;
    const char* name;
};

constexpr KeyEntry keyTable[] = {
    {eKey::none, "none"},   {eKey::up, "up"},         {eKey::down, "down"}, {eKey::left, "left"},
    {eKey::right, "right"}, {eKey::ok, "ok"},         {eKey::exit, "exit"}, {eKey::red, "red"},
    {eKey::green, "green"}, {eKey::yellow, "yellow"}, {eKey::blue, "blue"},
};

}  // namespace

eKey keyFromName(const std::string& name) {
    for (const KeyEntry& entry : keyTable) {
        if (name == entry.name) return entry.key;
    }
    return eKey::none;
}

const char* keyName(eKey key) {
    for (const KeyEntry& entry : keyTable) {
        if (entry.key == key) return entry.name;
    }
    return "none";
}
