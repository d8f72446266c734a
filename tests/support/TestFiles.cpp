#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace TestFiles {

std::string listings(const std::vector<Match>& matches) {
    std::string text = std::to_string(matches.size()) + "\n";
    for (const Match& m : matches) {
        text += std::to_string(m.id) + "#" + m.title + "#" + m.country1 + "#" + m.picture + "#" +
                m.country2 + "#" + m.kickoff + "\n";
    }
    text += std::to_string(matches.size()) + "\n";
    for (const Match& m : matches) text += std::to_string(m.id) + "#" + m.satellite + "\n";
    return text;
}

std::string png() {
    static const char bytes[] =
        "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x08\x00\x00"
        "\x00\x08\x08\x02\x00\x00\x00\x4b\x6d\x29\xdc\x00\x00\x00\x11\x49\x44\x41\x54\x78\xda\x63"
        "\x38\xa1\xa1\x81\x15\x31\x0c\x2d\x09\x00\x82\x5d\x46\x01\x17\x62\x89\x75\x00\x00\x00\x00"
        "\x49\x45\x4e\x44\xae\x42\x60\x82";
    return std::string(bytes, sizeof bytes - 1);
}

}  // namespace TestFiles

std::string readBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> corpusFiles(const std::string& target) {
    std::vector<std::string> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(MATCHRAY_SOURCE_DIR "/fuzz/corpus/" + target))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string overCorpus(const std::string& target,
                       const std::function<std::string(const std::string& bytes)>& f) {
    std::string text;
    for (const std::string& file : corpusFiles(target))
        text += file.substr(file.rfind('/') + 1) + ": " + f(readBinary(file)) + "\n";
    return text;
}
