// COMn port names (the stored port: the dialog's start-up, the platform's store).

#include "core/port/PortNames.h"

#include <doctest.h>

TEST_CASE("COMn names")
{
    struct {
        std::string_view name;
        std::optional<int> number;
    } const rows[] = {{"COM1", 1},   {"com7:", 7},   {"COM999", 999}, {"COM1000", {}}, {"COM0", {}},
                      {"COM01", {}}, {"COM1\n", {}}, {"COM1::", {}},  {"LPT1", {}},    {"", {}}};
    for (const auto& row : rows) {
        CAPTURE(row.name);
        CHECK(ComPortNumber(row.name) == row.number);
    }
}
