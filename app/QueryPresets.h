#pragma once
// The seven query choices: six ready-made WQL queries and Custom.
#include <array>

namespace veskin {

struct TQueryPreset {
    const char* Caption;
    const char* Query;  // null for Custom: the text box keeps its text
};

inline constexpr int CustomQueryIndex = 6;

inline constexpr std::array<TQueryPreset, 7> QueryPresets = {{
    {"OS (SELECT * FROM Win32_OperatingSystem)", "SELECT * FROM Win32_OperatingSystem"},
    {"Processes (SELECT * FROM Win32_Process)", "SELECT * FROM Win32_Process"},
    {"Logical Disks (SELECT * FROM Win32_PerfFormattedData_PerfDisk_LogicalDisk)",
     "SELECT * FROM Win32_PerfFormattedData_PerfDisk_LogicalDisk"},
    {"Memory (SELECT * FROM Win32_PerfFormattedData_PerfOS_Memory)",
     "SELECT * FROM Win32_PerfFormattedData_PerfOS_Memory"},
    {"Processor (SELECT * FROM Win32_PerfFormattedData_PerfOS_Processor)",
     "SELECT * FROM Win32_PerfFormattedData_PerfOS_Processor"},
    {"Network (SELECT *  FROM Win32_PerfRawData_Tcpip_NetworkInterface)",
     "SELECT *  FROM Win32_PerfRawData_Tcpip_NetworkInterface"},
    {"Custom ", nullptr},
}};

// The query a run uses when the text box is empty; also the text box's first text.
inline constexpr const char* DefaultQuery = "Select * FROM Win32_OperatingSystem";

}  // namespace veskin
