#include "pixvuestartup.h"

int main(int argc, char* argv[]) {
    pixvue::prepareDataDirectory();
    // The crash handler is installed here, before any Qt object exists.
    return pixvue::runConverter(argc, argv);
}
