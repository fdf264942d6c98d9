#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits what the utility sends into commands. Commands carry no terminator,
// so they are known only by their fixed forms: "?:", "S:", "P:", "D:", and
// "R:", "I:", "ID:" each followed by one digit. A byte that cannot begin a
// command is set aside as garbage and framing starts again at the next byte.
class CCommandFramer
{
public:
    struct CPiece {
        bool bCommand; // false: bytes that belong to no command
        std::string strBytes;
    };

    // Takes the next bytes from the line; returns the commands and garbage
    // they complete, in the order received.
    std::vector<CPiece> Feed(std::string_view bytes);

    // Bytes held back because they may still become a command.
    const std::string& Pending() const { return m_strPending; }

private:
    std::string m_strPending;
};
