#pragma once
// Runs one WQL query as the window's "Test!" does (a TWmiConnection and a TWmiQuery,
// one record per object) and hands the header and each record to a sink. The
// connection is opened first, so that a failure tells whether connecting, signing in
// or the query itself went wrong.
#include <cstdint>
#include <string>
#include <vector>

#include "rtl/WideString.h"

namespace veskin {

class TWmiQuery;

struct TQueryRequest {
    WideString MachineName;  // empty: the local computer
    WideString NameSpace = u"root\\cimV2";
    WideString UserName;
    WideString Password;
    WideString Authority;
    std::string Query;
};

class TRecordSink {
public:
    virtual ~TRecordSink() = default;
    // Once, before the first record; not called for a query without results.
    virtual void Header(TWmiQuery& query) = 0;
    // Once per record, with the query standing on it.
    virtual void Record(TWmiQuery& query) = 0;
};

enum class TQueryFailure { None, Connection, Authentication, Query };

struct TQueryOutcome {
    TQueryFailure Failure = TQueryFailure::None;
    std::int32_t Code = 0;  // the WMI result code, 0 when the failure had none
    std::string Message;    // the error text as the window's error row shows it
};

// Access denied (0x80070005, 0x80041003) while connecting is an authentication
// failure; every other failure while connecting is a connection failure.
TQueryFailure ConnectFailureKind(std::int32_t code);

TQueryOutcome RunQuery(const TQueryRequest& request, TRecordSink& sink);

// The table's cells: the fields' display names, and the current record's field texts.
std::vector<std::string> HeaderCells(TWmiQuery& query);
std::vector<std::string> RecordCells(TWmiQuery& query);

// The current record as members of a JSON object: field name and JSON value, typed
// by the property's CIM type (see JsonText.h).
std::vector<std::pair<std::string, std::string>> RecordJsonMembers(TWmiQuery& query);
// The members as one JSON object on one line, without line end.
std::string RecordJsonLine(TWmiQuery& query);

}  // namespace veskin
