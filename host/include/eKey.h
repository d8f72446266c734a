#pragma once
// The remote control keys that the stand-in knows.

#include <string>

enum class eKey { none, up, down, left, right, ok, exit, red, green, yellow, blue };

// "up", "red", ... -> the key; eKey::none for an unknown name.
eKey keyFromName(const std::string& name);
const char* keyName(eKey key);
