// The open and save file dialogs of the forms. The filter is a list of description
// and pattern pairs, each ending in a NUL, the whole ending in an empty item
// ("Comma separated\0*.csv\0"). The file name comes in as the name offered (at most
// 1023 characters of it) and is set to what the dialog leaves, so a cancelled dialog
// leaves it as it was.
#pragma once

#include "runtime/string.h"
#include "ui/toolkit/controls/pel_window.h"

// The chosen file must exist.
bool OpenFileDialog(PelWindow* owner, const char* filter, const String& initialFolder, String& fileName,
                    const String& defaultExtension);
// The operator is asked before a file is replaced.
bool SaveFileDialog(PelWindow* owner, const char* filter, const String& initialFolder, String& fileName,
                    const String& defaultExtension);
