#pragma once

#include "core/serial/ReceiveQueue.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The steps that configure an opened port, in the order Open takes them.
// A failed step is shown and the next one still runs.
enum class EOpenStep { GetCommState, GetCommTimeouts, SetCommTimeouts, SetCommMask, SetCommState };
inline constexpr std::array<const char*, 5> kOpenStepFailures{
    "Fail GetCommState!", "Fail GetCommTimeouts!", "Fail SetCommTimeouts!", "Fail SetCommMask!",
    "Fail SetCommState!"};
const char* OpenStepFailure(EOpenStep eStep);
// Followed by the port name, when the port cannot be opened at all.
inline constexpr const char* kTextUnableToOpen = "Unable to open ";

// What Open did: the port opened (even if a configuration step failed), or
// not, with the reason in words for the user (the device, why, what helps).
struct COpenResult {
    bool bOpened = false;
    std::string strDetail;
    std::vector<EOpenStep> failedSteps; // in the order taken
};

// The one serial link to the adapter, 9600 baud 8N1: opens and configures a
// port, starts the reader that posts every received byte to the queue,
// writes commands for the GUI thread and releases it all again.
class ISerialPort
{
public:
    virtual ~ISerialPort() = default;

    // Never two readers: whatever an earlier Open left is released first.
    virtual COpenResult Open(const std::string& strPort, IReceiveQueue& queue) = 0;
    // Blocks until the bytes are written or the write bound has passed.
    virtual bool Write(std::string_view bytes) = 0;
    // Stops the reader (joined before the port is released), then releases
    // the port. Nothing when nothing is held.
    virtual void Close() = 0;
    // Set by every Open, whether or not the port opened; never cleared.
    virtual bool WasOpened() const = 0;
};
