#include "dumpfile.h"
#include "pixvuestartup.h"

int main(int argc, char* argv[]) {
    pixvue::prepareDataDirectory();
    pixvue::installApplicationCrashHandler();
    return pixvue::runConverter(argc, argv);
}
