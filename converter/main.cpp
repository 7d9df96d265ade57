#include "app/consolerequests.h"
#include "app/pixvuestartup.h"
#include "dumpfile.h"

int main(int argc, char* argv[]) {
    const int answered = pixvue::answerConsoleRequest(argc, argv);
    if (answered >= 0) {
        return answered;
    }
    pixvue::prepareDataDirectory();
    pixvue::installApplicationCrashHandler();
    return pixvue::runConverter(argc, argv);
}
