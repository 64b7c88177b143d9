// Placeholder: filled in by the classes work.
#include "ui/ChannelControls.h"
void RegisterControlClasses() {}
void UnregisterControlClasses() {}
