// Finding the host's variables and services by name, and defining the plug-in's variables.
#pragma once

// Each returns 1 when done, 0 at the first name (or definition) the host refuses.
int ResolveHostVariables();
int ResolveHostServices();
int DefinePluginVariables();
