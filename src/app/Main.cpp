// The game's entry. Until the game has its own application class and the
// framework its main loop, this builds the product's application object,
// runs its start-up (settings, command line, single instance, devices) and
// shuts it down again.
#include "framework/app/LumoApp.h"

#include <memory>

int main()
{
    auto app = std::make_unique<Lumo::LumoApp>();
    app->Init();
    // The main loop (Start) runs here once it exists; a run without it ends
    // as soon as it has started.
    app->Shutdown();
    app.reset();
    return 0;
}
