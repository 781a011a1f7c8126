#pragma once
// The record-set base: states, opening and closing, record buffers, moving between
// records, bookmarks, field objects and editing. A subclass supplies the storage and
// the cursor through the protected hooks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recordset/FieldDefs.h"
#include "recordset/FieldTypes.h"
#include "recordset/RecordBuffer.h"
#include "rtl/Component.h"
#include "rtl/Variant.h"

namespace veskin {

class TField;
class TDataSet;

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening,
};

using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;

// Creates a field object of one class; what the field-class hook hands out.
using TFieldClass = std::unique_ptr<TField> (*)();
template <class T>
std::unique_ptr<TField> CreateFieldOf() {
    return std::make_unique<T>();
}

enum TLocateOption { loCaseInsensitive,
                     loPartialKey };
class TLocateOptions {
public:
    constexpr TLocateOptions() = default;
    constexpr TLocateOptions(std::initializer_list<TLocateOption> items) {
        for (TLocateOption o : items) add(o);
    }
    constexpr bool contains(TLocateOption o) const { return (FBits & (1u << o)) != 0; }
    constexpr TLocateOptions& add(TLocateOption o) {
        FBits |= (1u << o);
        return *this;
    }

private:
    unsigned FBits = 0;
};

// Resync modes: rmExact requires the cursor's record to exist, rmCenter centres the
// window of buffers on it.
enum TResyncModeFlag : unsigned { rmExact = 1,
                                  rmCenter = 2 };
using TResyncMode = unsigned;

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner = nullptr);
    // Frees fields and buffers. A subclass whose hooks must run on closing calls
    // CloseForDestruction() in its own destructor, while its hooks still exist.
    ~TDataSet() override;

    std::string ClassName() const override { return "TDataSet"; }

    // --- state, opening and closing
    TDataSetState State() const { return FState; }
    // Active in every state but dsInactive.
    bool Active() const { return FState != dsInactive; }
    // While the component is read from a stored form the value is only recorded and
    // applied when loading ends.
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    bool DefaultFields() const { return FDefaultFields; }

    // --- moving
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves by up to `distance` records; returns how many it moved.
    int MoveBy(int distance);
    void Refresh();
    // Fetches the buffers again around the cursor's record.
    void Resync(TResyncMode mode);

    // Raises "Cannot perform this operation on a closed dataset" when inactive; posts a
    // pending edit or insert when a field was changed, else cancels it.
    void CheckBrowseMode();
    void CheckActive() const;
    void CheckInactive() const;
    void CheckBiDirectional() const;
    bool IsUniDirectional() const { return FIsUniDirectional; }

    // --- counting and positioning
    int RecordCount() { return GetRecordCount(); }
    int RecNo() { return GetRecNo(); }
    virtual int GetRecNo();            // -1 unless the subclass knows
    virtual void SetRecNo(int value);  // nothing unless the subclass can

    // --- bookmarks
    int BookmarkSize() const { return FBookmarkSize; }
    void SetBookmarkSize(int size) { FBookmarkSize = size; }
    bool BookmarkAvailable();
    // The bookmark of the active record; empty when there is none.
    TBookmark GetBookmark();
    // Does nothing for an empty bookmark.
    void GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
    virtual bool BookmarkValid(const TBookmark& bookmark);
    // <0, 0, >0; 0 when the data set knows no order.
    virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b);

    // --- field definitions and fields
    TFieldDefs& FieldDefs() { return FFieldDefs; }
    const TFieldDefs& FieldDefs() const { return FFieldDefs; }
    // Fills the field definitions from the data set (the definition hook).
    void InitFieldDefs();
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    // Raises EListError "List index out of bounds (%d)" for a bad index.
    TField* Fields(int index) const;
    TField* FindField(const std::string& fieldName) const;
    // Raises "Field '%s' not found" with the data set's name in front.
    TField* FieldByName(const std::string& fieldName) const;
    // Takes a persistent field; only while inactive.
    TField* AddField(std::unique_ptr<TField> field);
    void DestroyFields();

    // Field values of the active record, used by the fields. Null (false) when the
    // data set is closed or browsing no record. SetFieldData refuses on a read-only
    // data set ("Cannot modify a read-only dataset") and for a read-only field.
    bool GetFieldData(const TField* field, void* data);
    void SetFieldData(TField* field, const void* data);

    // --- editing
    bool CanModify() { return GetCanModify(); }
    bool Modified() const { return FModified; }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // A new record with the given field values (in field order; empty values are
    // skipped), stored at once through the add-record hook.
    void InsertRecord(const std::vector<Variant>& values);
    void AppendRecord(const std::vector<Variant>& values);

    virtual bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options);

    // --- events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeScroll, AfterScroll, BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent BeforeEdit, AfterEdit, BeforeInsert, AfterInsert;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, OnNewRecord;

protected:
    // --- hooks: the cursor
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() const = 0;
    virtual void InternalInitFieldDefs() {}
    // Creates one field per definition with the class FieldClassFor names.
    virtual void CreateFields();
    // Called while handling a failure of a stored-active open at design time.
    virtual void InternalHandleException() {}
    virtual TFieldClass FieldClassFor(TFieldType fieldType);
    // Ties the fields to their definitions (field numbers).
    void BindFields(bool binding);

    // --- hooks: buffers and records
    virtual std::unique_ptr<TRecordBuffer> AllocRecordBuffer() = 0;
    // The default frees the buffer.
    virtual void FreeRecordBuffer(std::unique_ptr<TRecordBuffer>& buffer);
    virtual TGetResult GetRecord(TRecordBuffer* buffer, TGetMode mode, bool doCheck) = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalSetToRecord(TRecordBuffer* buffer) = 0;
    virtual void InternalInitRecord(TRecordBuffer* /*buffer*/) {}
    // The base empties its buffer window and sets both Bof and Eof.
    virtual void ClearBuffers();
    virtual void InternalRefresh() {}

    // --- hooks: bookmarks, counting
    virtual void GetBookmarkData(TRecordBuffer* /*buffer*/, void* /*data*/) {}
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer* /*buffer*/) { return bfCurrent; }
    virtual void SetBookmarkData(TRecordBuffer* /*buffer*/, const void* /*data*/) {}
    virtual void SetBookmarkFlag(TRecordBuffer* /*buffer*/, TBookmarkFlag /*flag*/) {}
    virtual void InternalGotoBookmark(const void* /*bookmark*/) {}
    virtual int GetRecordCount() { return -1; }

    // --- hooks: field data. Layouts by field type: ftSmallint int16, ftWord uint16,
    // ftInteger int32, ftLargeint int64, ftBoolean int16 (0/1), ftFloat double,
    // ftDateTime double, ftWideString WideString (reading: WideString* the whole text is
    // assigned to; writing: const WideString*), ftVariant Variant, ftInterface
    // IInterfacePtr. A null data pointer: reading asks only whether there is a value;
    // writing sets the field to null.
    virtual bool ReadFieldData(const TField* field, void* data) = 0;
    virtual void WriteFieldData(TField* field, const void* data) = 0;

    // --- hooks: editing
    virtual bool GetCanModify() { return true; }
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    // The default checks that required fields have values.
    virtual void InternalPost();
    virtual void InternalCancel() {}
    virtual void InternalDelete() = 0;
    virtual void InternalAddRecord(TRecordBuffer* buffer, bool append) = 0;

    // --- for subclasses
    // Run the scroll events, for subclass operations that move the cursor themselves.
    void DoBeforeScroll() { Fire(BeforeScroll); }
    void DoAfterScroll() { Fire(AfterScroll); }
    TRecordBuffer* ActiveBuffer() const;
    int ActiveRecord() const { return FActiveRecord; }
    // Number of records in the buffer window.
    int BufferedRecords() const { return FRecordCount; }
    // Makes the cursor stand on the active record again when a fetch left it elsewhere.
    void UpdateCursorPos();
    // Tells the base that the cursor no longer stands on a buffered record.
    void CursorPosChanged() { FCurrentRecord = -1; }
    void SetState(TDataSetState value);
    using TComponent::SetState;
    void SetUniDirectional(bool value) { FIsUniDirectional = value; }
    void CheckCanModify();
    void CheckRequiredFields();
    // Closes with the destroying flag set, so that no close events run. For
    // subclass destructors.
    void CloseForDestruction();
    void Loaded() override;

private:
    void OpenCursor();
    void CloseCursor();
    void AllocateBuffers();
    void FreeBuffers();
    void SetCurrentRecord(int index);
    bool GetNextRecord();
    bool GetPriorRecord();
    void GetNextRecords();
    void GetPriorRecords();
    void ActivateBuffers();
    void MoveBuffer(int curIndex, int newIndex);
    void BeginInsertAppend();
    void EndInsertAppend();
    void PrepareNewRecord(bool append);
    void AddRecordWith(const std::vector<Variant>& values, bool append);
    void Fire(const TDataSetNotifyEvent& event) {
        if (event) event(this);
    }

    TDataSetState FState = dsInactive;
    bool FBOF = true;
    bool FEOF = true;
    bool FDefaultFields = false;
    bool FModified = false;
    bool FStreamedActive = false;
    bool FIsUniDirectional = false;
    int FBookmarkSize = 0;
    // Buffer window: FBufferCount record buffers plus one spare for fetching into.
    int FBufferCount = 1;
    std::vector<std::unique_ptr<TRecordBuffer>> FBuffers;
    int FRecordCount = 0;     // records held in the window
    int FActiveRecord = 0;    // index of the active record in the window
    int FCurrentRecord = -1;  // window index the cursor stands on; -1 when unknown
    TFieldDefs FFieldDefs;
    std::vector<std::unique_ptr<TField>> FFields;
};

}  // namespace veskin
