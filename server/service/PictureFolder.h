#pragma once
// The folder that pictures not held in the database are served from. A picture
// is a regular file directly in it, named like "cup.png", whose bytes begin as
// a PNG's. It is opened once, relative to the folder, never through a symbolic
// link, and never opened at all when it isn't a regular file, so that a FIFO or
// a device can't hold up a thread. The folder is opened anew for each picture,
// so that a folder renamed onto its path is served from at once; one that
// holds the database is never served from.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class PictureFolder {
public:
    static constexpr std::size_t maxPictureBytes = 1024 * 1024;

    struct Picture {
        std::string bytes;
        std::int64_t modified = 0;  // UTC seconds
    };

    // Throws std::runtime_error, saying why, when the folder can't be opened, or the database
    // (and so SQLite's files beside it) lies in it or beneath it.
    PictureFolder(std::string dir, const std::string& dbPath);

    // The picture, or nothing when there is no such picture.
    std::optional<Picture> read(const std::string& name) const;

private:
    struct FolderId {
        dev_t device;
        ino_t inode;
    };
    bool holdsDatabase(const struct stat& folder) const;

    std::string dir;
    std::vector<FolderId> databaseFolders;  // the database's folder and those above it
};
