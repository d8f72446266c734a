#pragma once
// Decoded pictures shared while the plug-in runs. A list fill creates every
// entry anew, and each entry wants its pictures; the cache decodes a file once
// and hands the same picture to every entry that names it. A file that changed
// on disk since it was decoded (another size, time or inode) is decoded again,
// and a file that is gone gives null. GUI thread only.

#include <memory>
#include <string>

class gPixmap;

class PictureCache {
public:
    using Picture = std::shared_ptr<gPixmap>;

    // The picture at a receiver path, or null when it can't be loaded.
    static Picture get(const std::string& receiverPath);

    // Forgets every picture; entries keep the ones they hold.
    static void clear();

    // How many files have been decoded so far.
    static long decodeCount();
};
