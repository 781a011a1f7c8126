#pragma once
// The connection ladder to a remote computer, one step at a time: name resolution, TCP,
// TLS and its certificate, WS-Management Identify without an account, authentication,
// the namespace and the query. It stops at the first failing step and says what most
// likely caused it and what to change.
#include <functional>
#include <string>

#include "platform/wsman/WsmanTransport.h"

namespace veskin {

struct WsmanDiagnosisRequest {
    std::string Computer;
    WsmanCredentials Credentials;
    std::string NameSpace = "root\\cimv2";
    std::string Query = "SELECT * FROM Win32_OperatingSystem";
};

// What a step checks: reaching the computer, the account, or WMI itself.
enum class WsmanStepKind { Connection,
                           Authentication,
                           Query };

struct WsmanDiagnosisStep {
    std::string Name;  // "name resolution", "TCP connect to port 5985", ...
    WsmanStepKind Kind = WsmanStepKind::Connection;
    bool Passed = false;
    bool Note = false;  // told for information; it neither passes nor fails the ladder
    long Milliseconds = 0;
    std::string Outcome;  // what was found, or the failure's code ("80070005: ") and detail
    HRESULT Code = S_OK;  // on failure: its code, and what the failing layer recorded
    std::string Detail;
    std::string Advice;  // on failure: the most likely cause and what to change
};

// Runs the ladder, handing each step to report as it ends; true when every step passed.
bool DiagnoseWsman(const WsmanDiagnosisRequest& request, const std::function<void(const WsmanDiagnosisStep&)>& report,
                   WsmanTimeouts timeouts = {});

}  // namespace veskin
