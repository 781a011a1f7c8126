// The WMI record set: properties, opening and closing, field definitions, the tie to
// the connection and the cursor hooks over the record store.
#include "wmi/WmiDataSet.h"

#include <cstring>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "recordset/Field.h"
#include "rtl/SysUtils.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

TWmiDataSet::TWmiDataSet(TComponent* owner) : TDataSet(owner), FRecordFieldDefs(this) {
    SetBookmarkSize(4);
    SetAsynchronous(true);
    FReadOnly = true;
}

TWmiDataSet::~TWmiDataSet() {
    // Close while this class's hooks still exist.
    CloseForDestruction();
}

// ---- properties

std::string TWmiDataSet::WQLText() const {
    std::string text;
    for (const std::string& line : FWQL) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TWmiDataSet::SetWQL(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        joined += line;
        joined += "\r\n";
    }
    if (joined == WQLText()) return;
    if (!IsLoading()) Close();
    FWQL = lines;
}

void TWmiDataSet::SetAsynchronous(bool value) {
    if (value == FAsynchronous) return;
    if (Active()) Close();
    FAsynchronous = value;
}

void TWmiDataSet::SetIrregularView(bool value) {
    if (value == FIrregularView) return;
    if (Active()) Close();
    FIrregularView = value;
    FRecordFieldDefs.Clear();
}

void TWmiDataSet::Notification(TComponent* component, TOperation operation) {
    TDataSet::Notification(component, operation);
    if (operation == TOperation::opRemove && component != nullptr &&
        component == static_cast<TComponent*>(FConnection)) {
        Close();
        FConnection = nullptr;
    }
}

// ---- IWmiObjectProvider

void TWmiDataSet::GetWmiObject(ISWbemObjectPtr& object) {
    object = nullptr;
    if (!Active()) return;
    if (TInterfaceHolder* holder = ActiveHolder()) object = holder->WmiObject;
}

void TWmiDataSet::GetServices(ISWbemServicesPtr& services) {
    services = FConnection != nullptr ? FConnection->GetServices() : nullptr;
}

// ---- opening and closing

void TWmiDataSet::InternalOpen() {
    const std::string text = WQLText();
    if (Trim(text).empty()) DatabaseError("WQL is not defined");
    if (FConnection == nullptr) DatabaseError("Connection is not defined");
    FConnection->SetConnected(true);

    const std::int32_t flags = FAsynchronous ? wbemFlagReturnImmediately + wbemFlagForwardOnly : wbemFlagForwardOnly;
    const ISWbemServicesPtr services = FConnection->GetServices();
    if (!services) WmiRaiseError(E_POINTER);  // connected, yet no services object to ask
    ISWbemObjectSetPtr objectSet;
    WmiCheck(services->ExecQuery(AnsiToWide(text), u"WQL", flags, nullptr, objectSet));
    if (!objectSet) WmiRaiseError(E_POINTER);
    IInterfacePtr unknown;
    WmiCheck(objectSet->get__NewEnum(unknown));
    IEnumVARIANTPtr enumerator = IntfCast<IEnumVARIANT>(unknown);
    if (!enumerator) throw EIntfCastError("Interface not supported");

    FStore = std::make_unique<TWmiDataBuffer>(std::move(enumerator));
    FStore->SetForwardOnly(IsUniDirectional());

    if (DefaultFields() && !FStore->AtEnd()) {
        BuildFieldDefs(FieldDefs(), FStore->CurrentObject(), FIrregularView);
        CreateFields();
    }
    BindFields(true);
}

void TWmiDataSet::InternalClose() {
    // Default fields are destroyed by the framework right after this hook.
    FStore.reset();
    FPropertySlots.clear();
}

void TWmiDataSet::InternalInitFieldDefs() {
    if (Active() && FStore && FStore->CurrentObject()) {
        BuildFieldDefs(FieldDefs(), FStore->CurrentObject(), FIrregularView);
        return;
    }
    const std::string text = WQLText();
    if (Trim(text).empty()) return;
    BuildFieldDefs(FieldDefs(), WmiQueryPrototype(AnsiToWide(text)), FIrregularView);
}

void TWmiDataSet::CreateFields() {
    TDataSet::CreateFields();
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields(i);
        field->SetDisplayWidth(1);
        // 64-bit and array fields learn whether their property is unsigned.
        auto* def = dynamic_cast<TWmiFieldDef*>(FieldDefs().Find(AnsiToWide(field->FieldName())));
        if (!def) continue;
        if (auto* large = dynamic_cast<TWmiLargeintField*>(field)) large->SetCimType(def->CimType());
        if (auto* variant = dynamic_cast<TWmiVariantField*>(field)) variant->SetCimType(def->CimType());
    }
}

// Reached only from Loaded, when a record set stored as active fails to open while it is
// being designed. The record set has no design-time error display of its own; it
// answers with this plain exception, which replaces the failure of the open.
void TWmiDataSet::InternalHandleException() { throw Exception("InternalHandleException Not implemented"); }

// ---- field definitions

void TWmiDataSet::BuildFieldDefs(TFieldDefs& defs, const ISWbemObjectPtr& object, bool irregularView) {
    WmiBuildFieldDefs(defs, object, irregularView);
}

TFieldAttributes TWmiDataSet::QualifierAttributes(const ISWbemPropertyPtr& property) {
    return WmiQualifierAttributes(property);
}

TFieldClass TWmiDataSet::FieldClassFor(TFieldType fieldType) {
    if (TFieldClass fieldClass = WmiFieldClassFor(fieldType)) return fieldClass;
    return TDataSet::FieldClassFor(fieldType);
}

// ---- record buffers and the cursor

TInterfaceHolder* TWmiDataSet::ActiveHolder() const { return static_cast<TInterfaceHolder*>(ActiveBuffer()); }

std::unique_ptr<TRecordBuffer> TWmiDataSet::AllocRecordBuffer() {
    return std::make_unique<TInterfaceHolder>(nullptr, 0);
}

void TWmiDataSet::FreeRecordBuffer(std::unique_ptr<TRecordBuffer>& buffer) {
    if (auto* holder = static_cast<TInterfaceHolder*>(buffer.get())) holder->SetObject(nullptr);
    buffer.reset();
}

TGetResult TWmiDataSet::GetRecord(TRecordBuffer* buffer, TGetMode mode, bool /*doCheck*/) {
    if (!FStore || buffer == nullptr) return grError;
    auto* holder = static_cast<TInterfaceHolder*>(buffer);
    TGetResult result = grError;
    bool known = true;
    switch (mode) {
        case gmNext: FStore->MoveNext(); break;
        case gmPrior: FStore->MovePrior(); break;
        case gmCurrent: break;
        default: known = false; break;
    }
    if (known) {
        if (FStore->Current() == nullptr) {
            result = FStore->AtEnd() ? grEOF : FStore->AtStart() ? grBOF
                                                                 : grError;
        } else {
            holder->SetObject(FStore->Current()->WmiObject);
            holder->Position = FStore->CurrentIndex();
            result = grOK;
        }
    }
    if (result != grError && FIrregularView) BuildFieldDefs(FRecordFieldDefs, FStore->CurrentObject(), false);
    return result;
}

void TWmiDataSet::InternalFirst() {
    if (FStore) FStore->MoveFirst();
}

void TWmiDataSet::InternalLast() {
    if (FStore) FStore->MoveLast();
}

void TWmiDataSet::InternalSetToRecord(TRecordBuffer* buffer) {
    if (FStore && buffer != nullptr) FStore->MoveTo(static_cast<TInterfaceHolder*>(buffer)->Position);
}

void TWmiDataSet::ClearBuffers() {
    // A forward-only walk past its first object cannot start again: that is refused
    // while open, before the buffers are emptied; closing leaves the store where it is.
    const bool rewindable = !FStore || FStore->Rewindable();
    if (!rewindable && State() != dsInactive) DatabaseError(SDataSetUnidirectional, this);
    TDataSet::ClearBuffers();
    if (FStore && rewindable) FStore->MoveFirst();
}

// ---- bookmarks, counting, record numbers

namespace {

std::int32_t BookmarkPosition(const void* bookmark) {
    std::int32_t position = 0;
    std::memcpy(&position, bookmark, sizeof position);
    return position;
}

}  // namespace

void TWmiDataSet::GetBookmarkData(TRecordBuffer* buffer, void* data) {
    const std::int32_t position = static_cast<TInterfaceHolder*>(buffer)->Position;
    std::memcpy(data, &position, sizeof position);
}

TBookmarkFlag TWmiDataSet::GetBookmarkFlag(TRecordBuffer* /*buffer*/) { return bfCurrent; }

void TWmiDataSet::InternalGotoBookmark(const void* bookmark) {
    if (!FStore || bookmark == nullptr) return;
    const std::int32_t position = BookmarkPosition(bookmark);
    if (position >= 0 && position < FStore->FetchedCount()) FStore->MoveTo(position);
}

bool TWmiDataSet::BookmarkValid(const TBookmark& bookmark) {
    if (!FStore || bookmark.size() < sizeof(std::int32_t)) return false;
    const std::int32_t position = BookmarkPosition(bookmark.data());
    return position >= 0 && position < FStore->FetchedCount();
}

int TWmiDataSet::GetRecordCount() {
    if (!Active() || !FStore) return 0;
    return FStore->TotalCount();
}

int TWmiDataSet::GetRecNo() {
    TInterfaceHolder* holder = ActiveHolder();
    if (holder == nullptr || IsEmpty()) return 0;
    return holder->Position + 1;
}

void TWmiDataSet::SetRecNo(int value) {
    CheckBrowseMode();
    if (!FStore) return;
    if (BeforeScroll) BeforeScroll(this);
    FStore->MoveTo(value - 1);
    // An empty result has no record to stand on; the buffers stay empty.
    if (FStore->Current() != nullptr) Resync(rmExact | rmCenter);
    if (AfterScroll) AfterScroll(this);
}

}  // namespace veskin
