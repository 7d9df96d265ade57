#include "ztsharelog.h"

// The storage lives here only; other modules reach it through sharedLoggingRepository().
INITIALIZE_EASYLOGGINGPP

el::base::type::StoragePointer sharedLoggingRepository() {
    return el::base::elStorage;
}
