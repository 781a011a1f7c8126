#pragma once
// Runs one WQL query as the window's "Test!" does (a TWmiConnection and a TWmiQuery,
// one record per object) and hands the column names and each row to a sink. The
// connection is opened first, so that a failure tells whether connecting, signing in
// or the query itself went wrong.
#include <cstdint>
#include <string>
#include <vector>

#include "rtl/WideString.h"

namespace veskin {

class TWmiDataSet;
class TWmiRowSink;

struct TQueryRequest {
    WideString MachineName;  // empty: the local computer
    WideString NameSpace = u"root\\cimV2";
    WideString UserName;
    WideString Password;
    WideString Authority;
    std::string Query;
};

enum class TQueryFailure { None,
                           Connection,
                           Authentication,
                           Query };

struct TQueryOutcome {
    TQueryFailure Failure = TQueryFailure::None;
    std::int32_t Code = 0;  // the WMI result code, 0 when the failure had none
    std::string Message;    // the error text as the window's error row shows it
};

// Access denied (0x80070005, 0x80041003) while connecting is an authentication
// failure; every other failure while connecting is a connection failure.
TQueryFailure ConnectFailureKind(std::int32_t code);

// Hands the query's records to sink (see WmiQueryRows).
TQueryOutcome RunQuery(const TQueryRequest& request, TWmiRowSink& sink);

// The current record's members as JSON text ("name":value), appended to members one at
// a time; values are typed by the property's CIM type (see JsonText.h).
void ReadJsonMembers(TWmiDataSet& query, std::vector<std::string>& members);
// The members as one JSON object on one line, without line end.
std::string JsonObjectLine(const std::vector<std::string>& members);
// The current record as one JSON object on one line, without line end.
std::string RecordJsonLine(TWmiDataSet& query);

}  // namespace veskin
