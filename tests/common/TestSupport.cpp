#include "tests/common/TestSupport.h"

#include "sim/host/StandInHost.h"

namespace testsupport {

std::string ProgramDirectory() {
    return standin::ProgramFolder();
}

std::string BesideProgram(const char* fileName) {
    return ProgramDirectory() + "\\" + fileName;
}

} // namespace testsupport
