#pragma once
// Downloads the match pictures that "/tmp/" lacks from the picture server,
// over one libcurl handle for the whole pass, then prints "Zavrsio thread1".
// A present file is never fetched again; a failed transfer leaves its file.
// Unsafe names (empty, ".", "..", or with '/') are skipped.

#include <list>

#include "matchray_matches.h"

class PictureDownloader {
public:
    static void run(const std::list<matchray_matches>& matches);
};
