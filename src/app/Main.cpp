// The game's entry. Until the game has its own, this starts the framework's
// services: it opens "main.pak" beside the data when there is one and reports
// what it found.
#include "framework/services/PakInterface.h"
#include "framework/services/Random.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-version") == 0) {
            std::printf("tavoro-oribel 1.0.0\n");
            return 0;
        }
    }
    PakInterface* pak = Lumo::GetPakInterface();
    const bool hasPak = pak != nullptr && pak->AddPakFile("main.pak");
    Lumo::SeedRandom(0);
    std::printf("tavoro-oribel: framework services started (%s)\n", hasPak ? "main.pak" : "data folder");
    return 0;
}
