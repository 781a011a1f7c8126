#include "tools/wmiquery/QueryTable.h"

#include <memory>

#include "recordset/Field.h"
#include "rtl/Exception.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"

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

}  // namespace

bool RunQueryTable(const TQueryRequest& request, const TRowSink& sink) {
    // The connection outlives the query, which is closed and freed first.
    std::unique_ptr<TWmiConnection> connection;
    std::unique_ptr<TWmiQuery> query;
    try {
        connection = std::make_unique<TWmiConnection>();
        connection->SetMachineName(request.MachineName);
        connection->Credentials()->SetUserName(request.UserName);
        connection->Credentials()->SetPassword(request.Password);
        connection->Credentials()->SetAuthority(request.Authority);
        connection->SetNameSpace(request.NameSpace);
        query = std::make_unique<TWmiQuery>();
        query->SetConnection(connection.get());
        query->SetWQL(QueryLines(request.Query.empty() ? "Select * FROM Win32_OperatingSystem" : request.Query));
        query->Open();
        bool first = true;
        while (!query->Eof()) {
            const int count = query->FieldCount();
            if (first) {
                std::vector<std::string> header;
                for (int c = 0; c < count; ++c) header.push_back(query->Fields(c)->DisplayName());
                sink(header);
                first = false;
            }
            std::vector<std::string> row;
            for (int c = 0; c < count; ++c) row.push_back(query->Fields(c)->ValueText());
            sink(row);
            query->Next();
        }
        query->Close();
        query.reset();
        connection.reset();
        return true;
    } catch (const Exception& e) {
        sink({"Error: " + e.Message()});
    } catch (const std::exception& e) {
        sink({std::string("Error: ") + e.what()});
    }
    try {
        if (query && query->Active()) query->Close();
    } catch (...) {
        // The first failure is the one reported.
    }
    query.reset();
    connection.reset();
    return false;
}

}  // namespace veskin
