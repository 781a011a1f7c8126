#include "tools/wmiquery/QueryTable.h"

#include <memory>

#include "platform/ComTypes.h"
#include "recordset/Field.h"
#include "rtl/Exception.h"
#include "tools/wmiquery/JsonText.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiQueryRows.h"
#include "wmi/WmiUtil.h"

namespace veskin {

namespace {

std::vector<std::string> QueryLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

void Fail(TQueryOutcome& outcome, TQueryFailure stage) {
    try {
        throw;
    } catch (const TWmiException& e) {
        outcome.Code = e.ErrorCode;
        outcome.Message = e.Message();
    } catch (const Exception& e) {
        outcome.Message = e.Message();
    } catch (const std::exception& e) {
        outcome.Message = e.what();
    }
    outcome.Failure = stage == TQueryFailure::Connection ? ConnectFailureKind(outcome.Code) : stage;
}

}  // namespace

TQueryFailure ConnectFailureKind(std::int32_t code) {
    return code == E_ACCESSDENIED || code == WBEM_E_ACCESS_DENIED ? TQueryFailure::Authentication
                                                                  : TQueryFailure::Connection;
}

TQueryOutcome RunQuery(const TQueryRequest& request, TWmiRowSink& sink) {
    TQueryOutcome outcome;
    // The connection outlives the query, which is closed and freed first.
    std::unique_ptr<TWmiConnection> connection;
    std::unique_ptr<TWmiQuery> query;
    TQueryFailure stage = TQueryFailure::Connection;
    try {
        connection = std::make_unique<TWmiConnection>();
        connection->SetMachineName(request.MachineName);
        connection->Credentials()->SetUserName(request.UserName);
        connection->Credentials()->SetPassword(request.Password);
        connection->Credentials()->SetAuthority(request.Authority);
        connection->SetNameSpace(request.NameSpace);
        connection->Open();
        stage = TQueryFailure::Query;
        query = std::make_unique<TWmiQuery>();
        query->SetConnection(connection.get());
        query->SetWQL(QueryLines(request.Query));
        // Rows are printed as they come and never revisited.
        query->SetUniDirectional(true);
        query->Open();
        WmiQueryRows(*query, sink);
        query->Close();
        query.reset();
        connection.reset();
        return outcome;
    } catch (...) {
        Fail(outcome, stage);
    }
    try {
        if (query && query->Active()) query->Close();
    } catch (...) {
        // The first failure is the one reported.
    }
    query.reset();
    connection.reset();
    return outcome;
}

void ReadJsonMembers(TWmiDataSet& query, std::vector<std::string>& members) {
    ISWbemObjectPtr object;
    query.GetWmiObject(object);
    for (int c = 0; c < query.FieldCount(); ++c) {
        const std::string name = query.Fields(c)->FieldName();
        const ISWbemPropertyPtr property = object ? WmiGetProperty(object, AnsiToWide(name)) : nullptr;
        std::string member = JsonString(name);
        member += ':';
        if (!property) {
            members.push_back(member + "null");
            continue;
        }
        std::int32_t cimType = 0;
        Variant value;
        WmiCheck(property->get_CIMType(cimType));
        WmiCheck(property->get_Value(value));
        members.push_back(member + JsonValue(value, cimType));
    }
}

std::string JsonObjectLine(const std::vector<std::string>& members) {
    std::string line = "{";
    for (const std::string& member : members) {
        if (line.size() > 1) line += ',';
        line += member;
    }
    return line + '}';
}

std::string RecordJsonLine(TWmiDataSet& query) {
    std::vector<std::string> members;
    ReadJsonMembers(query, members);
    return JsonObjectLine(members);
}

}  // namespace veskin
