#pragma once
// The WMI record set: runs a WQL query over a TWmiConnection and presents the
// returned WMI objects as records, one field per property.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WbemScripting.h"
#include "recordset/DataSet.h"
#include "recordset/FieldDefs.h"
#include "wmi/WmiDataSetFieldDefs.h"
#include "wmi/WmiDataSetFields.h"
#include "wmi/WmiDataSetStore.h"
#include "wmi/WmiDataSetValues.h"
#include "wmi/WmiObjectProvider.h"

namespace veskin {

class TWmiConnection;

class TWmiDataSet : public TDataSet, public IWmiObjectProvider {
public:
    explicit TWmiDataSet(TComponent* owner = nullptr);
    ~TWmiDataSet() override;

    std::string ClassName() const override { return "TWmiDataSet"; }

    // Not owned; assigning neither closes the record set nor asks for removal notice.
    TWmiConnection* Connection() const { return FConnection; }
    void SetConnection(TWmiConnection* connection) { FConnection = connection; }

    // The query text, one 8-bit line per element. Changing the lines in place neither
    // compares nor closes; SetWQL closes the record set when the joined text differs.
    std::vector<std::string>& WQL() { return FWQL; }
    const std::vector<std::string>& WQL() const { return FWQL; }
    void SetWQL(const std::vector<std::string>& lines);
    // The lines joined, each followed by CR LF.
    std::string WQLText() const;

    bool Asynchronous() const { return FAsynchronous; }
    void SetAsynchronous(bool value);
    // A unidirectional query only moves forward, and each object is released once the
    // cursor has passed it: memory stays flat however large the result. Set while closed.
    void SetUniDirectional(bool value) {
        CheckInactive();
        TDataSet::SetUniDirectional(value);
    }
    bool IrregularView() const { return FIrregularView; }
    void SetIrregularView(bool value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }

    // In irregular view: the properties of the current record's own object.
    TFieldDefs& RecordFieldDefs() { return FRecordFieldDefs; }

    // The record store; null while the cursor is closed.
    TWmiDataBuffer* Store() const { return FStore.get(); }

    // Fills defs from the properties of object (see WmiBuildFieldDefs).
    virtual void BuildFieldDefs(TFieldDefs& defs, const ISWbemObjectPtr& object, bool irregularView);
    static TFieldAttributes QualifierAttributes(const ISWbemPropertyPtr& property);

    // Converts a property value into the field's data layout (nothing when data is
    // null); always true. Text moves into a text field's data instead of being copied.
    // Raises "Unknown data type in field <name>" for types the record set supplies no
    // data for.
    bool PropertyToFieldData(const TField* field, Variant&& value, void* data);
    // The raw value of the named property of the store's current object, read
    // directly from WMI. Raises "Record not found" when the store stands on no object.
    Variant CurrentPropertyValue(const std::string& name);

    // IWmiObjectProvider
    void GetWmiObject(ISWbemObjectPtr& object) override;
    void GetServices(ISWbemServicesPtr& services) override;
    TComponent* GetComponent() override { return this; }

    void SetRecNo(int value) override;
    int GetRecNo() override;
    bool BookmarkValid(const TBookmark& bookmark) override;
    bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return FStore != nullptr; }
    void InternalInitFieldDefs() override;
    void CreateFields() override;
    void InternalHandleException() override;
    TFieldClass FieldClassFor(TFieldType fieldType) override;

    std::unique_ptr<TRecordBuffer> AllocRecordBuffer() override;
    void FreeRecordBuffer(std::unique_ptr<TRecordBuffer>& buffer) override;
    TGetResult GetRecord(TRecordBuffer* buffer, TGetMode mode, bool doCheck) override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalSetToRecord(TRecordBuffer* buffer) override;
    void ClearBuffers() override;

    void GetBookmarkData(TRecordBuffer* buffer, void* data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer* buffer) override;
    void InternalGotoBookmark(const void* bookmark) override;
    int GetRecordCount() override;

    bool ReadFieldData(const TField* field, void* data) override;
    void WriteFieldData(TField* field, const void* data) override;

    bool GetCanModify() override { return !FReadOnly; }
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalInsert() override;
    void InternalAddRecord(TRecordBuffer* buffer, bool append) override;

    void Notification(TComponent* component, TOperation operation) override;

    // The active record buffer, or null.
    TInterfaceHolder* ActiveHolder() const;

private:
    TWmiConnection* FConnection = nullptr;
    std::vector<std::string> FWQL;
    std::unique_ptr<TWmiDataBuffer> FStore;
    bool FAsynchronous = true;
    bool FIrregularView = false;
    TFieldDefs FRecordFieldDefs;
    bool FReadOnly = true;
    // Per field number: where the field's property sits in the records' class.
    std::vector<TWmiPropertySlot> FPropertySlots;
};

// The published form of the record set.
class TWmiQuery : public TWmiDataSet {
public:
    explicit TWmiQuery(TComponent* owner = nullptr) : TWmiDataSet(owner) {}
    std::string ClassName() const override { return "TWmiQuery"; }
};

}  // namespace veskin
