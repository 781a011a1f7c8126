#include "platform/native/NativeService.h"

#include "platform/WbemNamespaceClass.h"
#include "platform/native/AssociationProviders.h"
#include "platform/native/BaseBoardProvider.h"
#include "platform/native/BiosProvider.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/ComputerSystemProvider.h"
#include "platform/native/CpuPackageProvider.h"
#include "platform/native/DiskDriveProvider.h"
#include "platform/native/DiskPartitionProvider.h"
#include "platform/native/EnvironmentProvider.h"
#include "platform/native/GroupProvider.h"
#include "platform/native/LogicalDiskProvider.h"
#include "platform/native/MemoryProvider.h"
#include "platform/native/NetworkAdapterProvider.h"
#include "platform/native/NetworkInterfaceProvider.h"
#include "platform/native/OperatingSystemProvider.h"
#include "platform/native/ProcessCounterProvider.h"
#include "platform/native/ProcessProvider.h"
#include "platform/native/ProcessRateProvider.h"
#include "platform/native/ProcessorProvider.h"
#include "platform/native/ServiceProvider.h"
#include "platform/native/UserAccountProvider.h"
#include "platform/native/VolumeProvider.h"
#include "rtl/SysUtils.h"
#include "rtl/TextFold.h"

namespace veskin {

WbemRepositoryPtr MakeNativeRepository(std::shared_ptr<const NativeContext> context) {
    WideString server = UpperCaseW(AnsiToWide(context->HostName()));
    auto repository = std::make_shared<WbemRepository>(server);
    WbemNamespacePtr ns = repository->AddNamespace(u"root\\cimv2");
    // Each class is made from its data file only when a query first needs it.
    // enumerate takes the query's hint or nothing, as the instance source allows.
    auto provide = [&ns](std::string_view name, auto enumerate) {
        ns->AddClass(NativeDeferredClass(name), std::make_shared<ProviderInstanceSource>(std::move(enumerate)));
    };
    provide("Win32_OperatingSystem", [context] { return EnumerateOperatingSystem(context); });
    provide("Win32_Process",
            [context](const WbemQueryHint& hint) { return EnumerateProcesses(context, hint); });
    auto disks = std::make_shared<LogicalDiskProvider>(context);
    provide("Win32_PerfFormattedData_PerfDisk_LogicalDisk", [disks] { return disks->Enumerate(); });
    auto memory = std::make_shared<MemoryProvider>(context);
    provide("Win32_PerfFormattedData_PerfOS_Memory", [memory] { return memory->Enumerate(); });
    auto processors = std::make_shared<ProcessorProvider>(context);
    provide("Win32_PerfFormattedData_PerfOS_Processor", [processors] { return processors->Enumerate(); });
    provide("Win32_PerfRawData_Tcpip_NetworkInterface", [context] { return EnumerateNetworkInterfaces(context); });
    provide("Win32_UserAccount", [context] { return EnumerateUserAccounts(context); });
    provide("Win32_Group", [context] { return EnumerateGroups(context); });
    provide("Win32_Environment", [context] { return EnumerateEnvironment(context); });
    provide("Win32_ComputerSystem", [context] { return EnumerateComputerSystem(context); });
    provide("Win32_BIOS", [context] { return EnumerateBios(context); });
    provide("Win32_BaseBoard", [context] { return EnumerateBaseBoard(context); });
    provide("Win32_Processor", [context] { return EnumerateCpuPackages(context); });
    provide("Win32_DiskDrive", [context] { return EnumerateDiskDrives(context); });
    provide("Win32_NetworkAdapter", [context] { return EnumerateNetworkAdapters(context); });
    provide("Win32_NetworkAdapterConfiguration", [context] { return EnumerateNetworkAdapterConfigurations(context); });
    provide("Win32_SystemProcesses", [context] { return EnumerateSystemProcesses(context); });
    provide("Win32_NetworkAdapterSetting", [context] { return EnumerateNetworkAdapterSettings(context); });
    provide("Win32_DiskPartition", [context] { return EnumerateDiskPartitions(context); });
    provide("Win32_DiskDriveToDiskPartition", [context] { return EnumerateDiskDriveToDiskPartitions(context); });
    provide("Win32_LogicalDiskToPartition", [context] { return EnumerateLogicalDiskToPartitions(context); });
    provide("Win32_Service", [context] { return EnumerateServices(context); });
    provide("Win32_PerfRawData_PerfProc_Process", [context] { return EnumerateProcessCounters(context); });
    auto processRates = std::make_shared<ProcessRateProvider>(context);
    provide("Win32_PerfFormattedData_PerfProc_Process", [processRates] { return processRates->Enumerate(); });
    provide("Win32_LogicalDisk",
            [context](const WbemQueryHint& hint) { return EnumerateVolumes(context, hint); });
    // The superclasses of the served classes, so that queries on them find their
    // derived classes' instances.
    std::vector<WideString> bases;
    for (const auto& name : ns->ClassNames())
        for (const auto& base : NativeSchemaDerivation(WideToAnsi(name))) bases.push_back(base);
    for (const auto& base : bases)
        if (!ns->HasClass(base)) ns->AddClass(NativeDeferredClass(WideToAnsi(base)), nullptr);
    repository->AddNamespace(u"root");
    AddNamespaceClasses(repository);
    return repository;
}

namespace {

bool IsIpv4Loopback(const std::string& name) {
    // 127.a.b.c with decimal parts of at most three digits up to 255.
    if (name.rfind("127.", 0) != 0) return false;
    int parts = 2, digits = 0, value = 0;  // "127" and the part being read
    for (std::size_t i = 4; i < name.size(); ++i) {
        char c = name[i];
        if (c == '.') {
            if (digits == 0) return false;
            ++parts;
            digits = value = 0;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (++digits > 3 || value > 255) return false;
        } else {
            return false;
        }
    }
    return parts == 4 && digits > 0;
}

}  // namespace

bool IsLocalComputerName(const WideString& server, const std::string& hostName) {
    WideString w = server;
    while (!w.empty() && (w.front() == u'\\' || w.front() == u'/')) w.erase(w.begin());
    while (!w.empty() && (w.back() == u' ' || w.back() == u'\t')) w.pop_back();
    while (!w.empty() && (w.front() == u' ' || w.front() == u'\t')) w.erase(w.begin());
    if (w.empty() || w == u"." || SameTextW(w, u"localhost")) return true;
    const std::string name = WideToAnsi(w);
    if (IsIpv4Loopback(name) || name == "::1" || name == "[::1]" || name == "0:0:0:0:0:0:0:1") return true;
    if (hostName.empty()) return false;
    const WideString host = AnsiToWide(hostName);
    if (SameTextW(w, host)) return true;
    // The host name as the kernel has it, or without its domain.
    const std::size_t dot = host.find(u'.');
    return dot != WideString::npos && SameTextW(w, host.substr(0, dot));
}

HRESULT NativeConnectPolicy(const WbemConnectRequest& request, const std::string& hostName) {
    if (!IsLocalComputerName(request.Server, hostName)) return RPC_S_SERVER_UNAVAILABLE_HR;
    if (!request.User.empty() || !request.Password.empty()) return WBEM_E_LOCAL_CREDENTIALS;
    return S_OK;
}

std::shared_ptr<WbemLocatorImpl> MakeNativeLocator(std::shared_ptr<const NativeContext> context,
                                                   WbemRepositoryPtr repository) {
    return std::make_shared<WbemLocatorImpl>(
        std::move(repository), [context](const WbemConnectRequest& request) {
            return NativeConnectPolicy(request, context->HostName());
        });
}

namespace {

struct NativeSystem {
    std::shared_ptr<const NativeContext> Context;
    WbemRepositoryPtr Repository;
};

const NativeSystem& TheNativeSystem() {
    static const NativeSystem system = [] {
        NativeSystem s;
        s.Context = std::make_shared<const NativeContext>("/");
        s.Repository = MakeNativeRepository(s.Context);
        return s;
    }();
    return system;
}

}  // namespace

std::shared_ptr<WbemLocatorImpl> NativeSystemLocator() {
    const NativeSystem& system = TheNativeSystem();
    return MakeNativeLocator(system.Context, system.Repository);
}

std::string NativeSystemHostName() { return TheNativeSystem().Context->HostName(); }

}  // namespace veskin
