#pragma once
// Decoded pictures shared while a window runs. A list fill creates every entry
// anew, and each entry wants its pictures; the cache decodes a file once and
// hands the same picture to every entry that names it. Each request looks at
// the file (stat), within a Batch once at most and in its folder, which the
// Batch keeps open: a file that changed since it was decoded (another size,
// time or inode, a link's target included) is decoded again, and a file that
// is gone gives null and leaves the cache.
// GUI thread only.

#include <cstddef>
#include <memory>
#include <string>

class gPixmap;

class PictureCache {
public:
    using Picture = std::shared_ptr<gPixmap>;

    // The picture at path, or null when it can't be loaded.
    static Picture get(const std::string& path);

    // While a Batch lives, each file is looked at once at most, however often
    // it is asked for: a list fill asks for the same flags many times.
    class Batch {
    public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
    };

    // Lets go of every picture; entries keep the ones they hold.
    static void clear();

    // How many pictures the cache keeps.
    static std::size_t size();
    // How many files have been decoded so far.
    static long decodeCount();
};
