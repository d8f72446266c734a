#include "Emulator.h"

int main(int argc, char** argv) {
    return Emulator().run(argc, argv);
}
