#pragma once
// Opening the plug-in's temporary files safely.

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
// An open stream that is closed when it goes out of scope.
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

class SafeFile {
public:
    // Opens for writing like fopen(path, "w"), but never through a symbolic
    // link: a link planted at the path makes the open fail, and so does
    // anything else that isn't a regular file. Null on failure.
    static FILE* openForWrite(const std::string& path);

    // Opens a regular file for reading like fopen(path, "r"), without
    // following a symbolic link at the path. Null on failure.
    static FILE* openForRead(const std::string& path);

    // Flushes and closes the stream; false when a write failed at any time
    // (the stream's error state), the flush failed or the close did.
    static bool close(UniqueFile& file);

    // A picture name that is safe as a file name directly under "/tmp/": not
    // empty, not "." or "..", and without '/' or NUL.
    static bool isSafeName(const std::string& name);

    // Percent-encodes the bytes of name that can't stand in a URL path segment:
    // blank, '%', '?', '#', control bytes and bytes of 0x80 and above, and the
    // other bytes outside RFC 3986's path characters ('"', '<', '>', '\\', '^',
    // '`', '{', '|', '}', '/').
    static std::string urlEncodePathSegment(const std::string& name);
};
