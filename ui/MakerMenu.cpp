// Placeholder: filled in by the classes work.
#include "ui/MakerMenu.h"
void InsertMakerMenu() {}
void PEMO_HOSTCALL ShowSetupMessage(void) {}
