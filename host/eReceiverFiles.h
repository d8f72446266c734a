#pragma once
// Where the stand-in's own work on receiver paths lands: the configuration
// store's file and the pictures loadPNG reads. On a receiver that is the path
// itself. A program that keeps the receiver's files elsewhere, as the emulator
// does under its root, installs its mapping before other threads start.

#include <string>

class eReceiverFiles {
public:
    using Mapping = std::string (*)(const std::string& receiverPath);

    // Null puts every path back where it is.
    static void setMapping(Mapping mapping);
    // The file that receiverPath names on this machine.
    static std::string locate(const std::string& receiverPath);
};
