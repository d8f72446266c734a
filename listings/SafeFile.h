#pragma once
// Opening the plug-in's temporary files safely. Paths are receiver paths and
// are mapped under the receiver root.

#include <cstdio>
#include <string>

class SafeFile {
public:
    // Opens for writing like fopen(path, "w"), but never through a symbolic
    // link: a link planted at the path makes the open fail. Null on failure.
    static FILE* openForWrite(const std::string& receiverPath);

    // A picture name that is safe as a file name directly under "/tmp/": not
    // empty, not "." or "..", and without '/'.
    static bool isSafeName(const std::string& name);

    // Percent-encodes the bytes of name that can't stand in a URL path: blank,
    // '%', '?', '#', control bytes and bytes of 0x80 and above.
    static std::string urlEncodePathSegment(const std::string& name);
};
