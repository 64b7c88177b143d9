#include "host/HostNames.h"

#define PEMO_NAME_OF_VARIABLE(name, field, mayBeZero) name,
#define PEMO_ZERO_OF_VARIABLE(name, field, mayBeZero) mayBeZero,
#define PEMO_NAME_OF_SERVICE(name, field, type) name,

const char* const hostVariableNames[HOST_VARIABLE_COUNT] = {
    PEMO_HOST_VARIABLES(PEMO_NAME_OF_VARIABLE)};
const bool hostVariableMayBeZero[HOST_VARIABLE_COUNT] = {
    PEMO_HOST_VARIABLES(PEMO_ZERO_OF_VARIABLE)};
const char* const hostServiceNames[HOST_SERVICE_COUNT] = {PEMO_HOST_SERVICES(PEMO_NAME_OF_SERVICE)};
