#include "StalePictures.h"

#include <dirent.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool endsWithPng(const std::string& name) {
    static const std::string suffix = ".png";
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isNamedByMatch(const std::string& name, const std::list<matchray_matches>& matches) {
    for (const matchray_matches& match : matches) {
        if (match.picture == name) return true;
    }
    return false;
}

}  // namespace

void StalePictures::remove(const std::string& folder, const std::list<matchray_matches>& matches) {
    std::unique_ptr<DIR, DirCloser> dir{opendir(folder.c_str())};
    if (!dir) return;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (!endsWithPng(name) || isNamedByMatch(name, matches)) continue;
        // unlink removes files and links, never a directory; failures are ignored.
        ::unlink((folder + "/" + name).c_str());
    }
}
