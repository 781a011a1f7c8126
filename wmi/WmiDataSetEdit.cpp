// Editing hooks of the WMI record set: posting, re-reading and deleting the active
// record's object. Creating objects is not supported.
#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"

namespace veskin {

void TWmiDataSet::InternalPost() {
    TInterfaceHolder* record = ActiveHolder();
    if (record == nullptr || !record->WmiObject) DatabaseError(SRecordNotFound);
    ISWbemObjectPathPtr path;
    WmiCheck(record->WmiObject->Put_(wbemChangeFlagCreateOrUpdate, nullptr, path));
}

void TWmiDataSet::InternalCancel() {
    TInterfaceHolder* record = ActiveHolder();
    if (record == nullptr || !record->WmiObject || FConnection == nullptr) return;
    ISWbemObjectPathPtr path;
    WmiCheck(record->WmiObject->get_Path_(path));
    WideString pathText;
    WmiCheck(path->get_Path(pathText));
    const ISWbemServicesPtr services = FConnection->GetServices();
    if (!services) WmiRaiseError(E_POINTER);
    ISWbemObjectPtr fresh;
    WmiCheck(services->Get(pathText, 0, nullptr, fresh));
    record->SetObject(fresh);
    if (FStore && record->Position >= 0 && record->Position < FStore->FetchedCount())
        FStore->Holder(record->Position)->SetObject(fresh);
}

void TWmiDataSet::InternalDelete() {
    TInterfaceHolder* record = ActiveHolder();
    if (record == nullptr || !record->WmiObject) DatabaseError(SRecordNotFound);
    WmiCheck(record->WmiObject->Delete_(0, nullptr));
    const std::int32_t position = record->Position;
    record->SetObject(nullptr);
    if (FStore) FStore->DeleteAt(position);
}

void TWmiDataSet::InternalInsert() { DatabaseError(SDataSetOpen); }

void TWmiDataSet::InternalAddRecord(TRecordBuffer* /*buffer*/, bool /*append*/) { DatabaseError(SDataSetOpen); }

}  // namespace veskin
