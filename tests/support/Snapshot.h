#pragma once
// Text snapshots: a dump or draw record compared with a checked-in file under
// tests/snapshots/. With MATCHRAY_UPDATE_GOLDEN=1 in the environment the file
// is written instead (review the change with git diff before committing it).

#include <string>

// Fails the calling test when text differs from tests/snapshots/NAME.txt,
// showing the lines that differ.
void expectSnapshot(const std::string& name, const std::string& text);
