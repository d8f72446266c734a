#pragma once
// Downloads the match pictures that a folder lacks from the picture server,
// over one libcurl handle for the whole pass, then prints "Zavrsio thread1".
// A present file is never fetched again. A picture the server refuses with an
// HTTP error status leaves its empty file; any other failed transfer (time-out,
// over the size cap, cut, failed write) removes its file, so no partial picture
// stays. Once the pass's time budget is spent, the remaining pictures are
// skipped. Unsafe names (empty, ".", "..", or with '/') are skipped.

#include <list>

#include "matchray_matches.h"

class PictureDownloader {
public:
    // folder ends in '/': a picture is stored as folder + its name.
    static void run(const std::string& folder, const std::list<matchray_matches>& matches);
};
