// Placeholder: filled in by the classes work.
#include "modules/ModuleClasses.h"
char outShortName[13];
char inShortName[13];
char outDescription[39];
char inDescription[39];
void RegisterInputModuleClass() {}
void RegisterOutputModuleClass() {}
