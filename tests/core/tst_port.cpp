// Port names and the stored port.

#include "CoreFakes.h"
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

TEST_CASE("the stored port")
{
    struct {
        std::optional<std::string> stored;
        bool bLoaded;
        const char* pszPort;
    } const rows[] = {
        {std::nullopt, false, "COM3"}, {"", true, "COM2:"}, {"/dev/ttyUSB1", true, "/dev/ttyUSB1"}};
    for (const auto& row : rows) {
        CMemoryPortStore store;
        store.m_stored = row.stored;
        std::string strPort = "COM3";
        CHECK(LoadStoredPort(store, strPort) == row.bLoaded);
        CHECK(strPort == row.pszPort);
    }
}
