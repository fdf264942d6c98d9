#include "core/port/PortNames.h"

namespace
{
bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

char AsciiUpper(char ch)
{
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}
} // namespace

std::optional<int> ComPortNumber(std::string_view strName)
{
    if (strName.size() < 4 || AsciiUpper(strName[0]) != 'C' || AsciiUpper(strName[1]) != 'O' ||
        AsciiUpper(strName[2]) != 'M')
        return std::nullopt;
    std::string_view digits = strName.substr(3);
    if (digits.ends_with(':'))
        digits.remove_suffix(1);
    // The whole rest: "COM1\n" or "COM01" name no port.
    if (digits.empty() || digits.size() > 3 || digits[0] == '0')
        return std::nullopt;
    int nNumber = 0;
    for (const char ch : digits) {
        if (!IsDigit(ch))
            return std::nullopt;
        nNumber = nNumber * 10 + (ch - '0');
    }
    return nNumber;
}
