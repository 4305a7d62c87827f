// Taleplay: plays the game named on its command line, the one chosen in its
// chooser, or the one in data_NAME/ of the current folder, NAME being the
// name it was started under.
#include "app/launcher.h"

int main(int argc, char** argv) {
    return taleplay::launch::run(argc, argv);
}
