#pragma once
// Decoded pictures shared while a window runs. A list fill creates every entry
// anew, and each entry wants its pictures; the cache decodes a file once and
// hands the same picture to every entry that names it. A file that changed on
// disk since it was decoded (another size, time or inode) is decoded again,
// and a file that is gone gives null and leaves the cache. The directories of
// the pictures are watched (inotify), so an unchanged file costs no look at
// the disk; where that can't be done, each file is looked at again. GUI
// thread only.

#include <cstddef>
#include <memory>
#include <string>

class gPixmap;

class PictureCache {
public:
    using Picture = std::shared_ptr<gPixmap>;

    // The picture at a receiver path, or null when it can't be loaded.
    static Picture get(const std::string& receiverPath);

    // While a Batch lives, each file is looked at once at most, however often
    // it is asked for: a list fill asks for the same flags many times. When
    // the outermost Batch ends, pictures that no one holds any more and whose
    // files have gone are let go.
    class Batch {
    public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
    };

    // Lets go of every picture; entries keep the ones they hold.
    static void clear();
    // Lets go of every picture and stops watching their directories.
    static void release();

    // How many pictures the cache keeps.
    static std::size_t size();
    // How many files have been decoded so far.
    static long decodeCount();
};
