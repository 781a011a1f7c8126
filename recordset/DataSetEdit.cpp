// Editing: edit, insert, append, post, cancel, delete.
#include "recordset/DataSet.h"

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "recordset/Field.h"

namespace veskin {

void TDataSet::CheckCanModify() {
    if (!GetCanModify()) DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::InternalPost() { CheckRequiredFields(); }

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeEdit);
    InternalEdit();
    SetState(dsEdit);
    Fire(AfterEdit);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        Fire(OnNewRecord);
    } catch (...) {
        SetState(dsBrowse);
        Resync(0);
        throw;
    }
    FModified = false;
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TDataSet::PrepareNewRecord(bool append) {
    if (!append) {
        // The spare buffer becomes the active one and receives the new record; it
        // remembers the record it was inserted in front of.
        TBookmark oldCurrent = GetBookmark();
        int oldRecordCount = FRecordCount;
        MoveBuffer(FRecordCount, FActiveRecord);
        TRecordBuffer* buffer = ActiveBuffer();
        try {
            InternalInitRecord(buffer);
            SetBookmarkFlag(buffer, bfInserted);
            if (FRecordCount == 0)
                SetBookmarkFlag(buffer, bfBOF);
            else
                SetBookmarkData(buffer, oldCurrent.data());
            if (FRecordCount < FBufferCount) ++FRecordCount;
            InternalInsert();
        } catch (...) {
            // Put the window back as it was, so the records shown stay the records held.
            FRecordCount = oldRecordCount;
            MoveBuffer(FActiveRecord, FRecordCount);
            throw;
        }
        return;
    }
    TBookmark oldCurrent = GetBookmark();
    ClearBuffers();
    TRecordBuffer* buffer = FBuffers[0].get();
    try {
        InternalInitRecord(buffer);
        SetBookmarkFlag(buffer, bfEOF);
        FRecordCount = 1;
        FBOF = false;
        GetPriorRecords();
        InternalInsert();
    } catch (...) {
        // The window was given up for the new record; fetch it again where it was.
        ClearBuffers();
        try {
            if (!oldCurrent.empty()) {
                InternalGotoBookmark(oldCurrent.data());
                Resync(rmExact | rmCenter);
            } else {
                InternalFirst();
                GetNextRecords();
            }
        } catch (...) {
            ClearBuffers();
        }
        throw;
    }
}

void TDataSet::Insert() {
    BeginInsertAppend();
    PrepareNewRecord(false);
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    PrepareNewRecord(true);
    EndInsertAppend();
}

void TDataSet::Post() {
    if (FState != dsEdit && FState != dsInsert) return;
    Fire(BeforePost);
    UpdateCursorPos();
    InternalPost();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    Fire(BeforeCancel);
    bool wasInsert = FState == dsInsert;
    if (wasInsert) Fire(BeforeScroll);
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterCancel);
    if (wasInsert) Fire(AfterScroll);
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FRecordCount == 0) DatabaseError(SDataSetEmpty, this);
    // A data set that cannot be modified deletes nothing either.
    CheckCanModify();
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    UpdateCursorPos();
    InternalDelete();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TDataSet::AddRecordWith(const std::vector<Variant>& values, bool append) {
    if (append)
        Append();
    else
        Insert();
    try {
        for (std::size_t i = 0; i < values.size() && i < FFields.size(); ++i) {
            const Variant& v = values[i].Deref();
            if (!v.IsEmpty()) FFields[i]->SetAsVariant(v);
        }
        Fire(BeforePost);
        CheckRequiredFields();
        UpdateCursorPos();
        InternalAddRecord(ActiveBuffer(), append);
    } catch (...) {
        // The new record is dropped; the first failure is the one reported.
        try {
            Cancel();
        } catch (...) {
        }
        throw;
    }
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterPost);
}

void TDataSet::InsertRecord(const std::vector<Variant>& values) { AddRecordWith(values, false); }
void TDataSet::AppendRecord(const std::vector<Variant>& values) { AddRecordWith(values, true); }

}  // namespace veskin
