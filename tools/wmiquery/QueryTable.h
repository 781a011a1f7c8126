#pragma once
// Runs one WQL query as the window's "Test!" does and hands each table row to a
// sink: first the header of field display names, then each record's field texts.
// A failure becomes the row "Error: " followed by the message, and the run reports
// false.
#include <functional>
#include <string>
#include <vector>

#include "rtl/WideString.h"

namespace veskin {

struct TQueryRequest {
    WideString MachineName;  // empty: the local computer
    WideString NameSpace = u"root\\cimV2";
    WideString UserName;
    WideString Password;
    WideString Authority;
    std::string Query;  // empty: Select * FROM Win32_OperatingSystem
};

using TRowSink = std::function<void(const std::vector<std::string>& cells)>;

bool RunQueryTable(const TQueryRequest& request, const TRowSink& sink);

}  // namespace veskin
