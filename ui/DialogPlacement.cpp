// Placeholder: filled in by the classes work.
#include "ui/DialogPlacement.h"
HFONT sharedDialogFont;
