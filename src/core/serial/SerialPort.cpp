#include "core/serial/SerialPort.h"

const char* OpenStepFailure(EOpenStep eStep)
{
    return kOpenStepFailures[static_cast<std::size_t>(eStep)];
}
