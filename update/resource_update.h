// The resource files a unit's software needs (languages, images, fonts, templates),
// brought up to date file by file: only those that differ from the tool's are sent.
#pragma once

#include "protocol/unit_info.h"

// True when a file was written that the unit's software only takes at its next
// restart (the templates are read as they are, and do not count). Failures end the
// program.
bool UpdateResourceFiles(UnitInfo& unit, bool useUpdateFiles);
