// Registration of the two module classes with the host.
#pragma once

extern char outShortName[13];
extern char inShortName[13];
extern char outDescription[39];
extern char inDescription[39];

void RegisterInputModuleClass();
void RegisterOutputModuleClass();
