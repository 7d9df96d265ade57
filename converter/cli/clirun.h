#pragma once

#include "clioptions.h"
#include "clireport.h"
#include "clisources.h"

namespace pixvuecli {

// Converts the sources not refused on the run scheduler, reporting each end to report. SIGINT
// and SIGTERM start no new file and let those in hand finish; a second one ends the process at
// once (leaving no partial output). Returns the signal that stopped the run, 0 when none did.
int runConversion(const QVector<Source>& sources, const CliOptions& options, ConsoleReport& report);

}  // namespace pixvuecli
