// Opening, closing, the buffer window and moving between records.
#include "recordset/DataSet.h"

#include <exception>
#include <utility>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "recordset/Field.h"

namespace veskin {

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), FFieldDefs(this) {}

TDataSet::~TDataSet() {
    // The subclass's hooks are gone by now; what is left is freed without them.
    FState = dsInactive;
    FBuffers.clear();
    FFields.clear();
}

void TDataSet::CloseForDestruction() {
    SetState(csDestroying, true);
    Close();
}

void TDataSet::SetState(TDataSetState value) {
    if (FState == value) return;
    FState = value;
    FModified = false;
}

// --- opening and closing

void TDataSet::SetActive(bool value) {
    if ((ComponentState() & csReading) != 0) {
        FStreamedActive = value;
        return;
    }
    if (Active() == value) return;
    if (value) {
        Fire(BeforeOpen);
        OpenCursor();
        SetState(dsBrowse);
        Fire(AfterOpen);
    } else {
        if (!IsDestroying()) Fire(BeforeClose);
        SetState(dsInactive);
        CloseCursor();
        if (!IsDestroying()) Fire(AfterClose);
    }
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (!FStreamedActive) return;
    try {
        SetActive(true);
    } catch (...) {
        if (IsDesigning())
            InternalHandleException();
        else
            throw;
    }
}

void TDataSet::OpenCursor() {
    SetState(dsOpening);
    FDefaultFields = FFields.empty();
    try {
        InternalOpen();
        AllocateBuffers();
        FBOF = true;
        GetNextRecords();
    } catch (...) {
        SetState(dsInactive);
        try {
            CloseCursor();
        } catch (...) {
            // The failure of the open is the one the caller hears about.
        }
        throw;
    }
}

void TDataSet::CloseCursor() {
    // Every step runs even when an earlier one fails, so the base always ends up
    // closed; the first failure is passed on afterwards.
    std::exception_ptr failure;
    auto step = [&failure](auto&& action) {
        try {
            action();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    step([this] { ClearBuffers(); });
    step([this] { FreeBuffers(); });
    FBuffers.clear();
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
    step([this] { InternalClose(); });
    if (FDefaultFields) DestroyFields();
    FDefaultFields = false;
    if (failure) std::rethrow_exception(failure);
}

void TDataSet::AllocateBuffers() {
    while (static_cast<int>(FBuffers.size()) < FBufferCount + 1) FBuffers.push_back(AllocRecordBuffer());
}

void TDataSet::FreeBuffers() {
    for (auto& buffer : FBuffers)
        if (buffer) FreeRecordBuffer(buffer);
    FBuffers.clear();
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
}

void TDataSet::FreeRecordBuffer(std::unique_ptr<TRecordBuffer>& buffer) { buffer.reset(); }

void TDataSet::CheckActive() const {
    if (FState == dsInactive) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
    if (FState != dsInactive) DatabaseError(SDataSetOpen, this);
}

void TDataSet::CheckBiDirectional() const {
    if (FIsUniDirectional) DatabaseError(SDataSetUnidirectional, this);
}

// --- the buffer window

TRecordBuffer* TDataSet::ActiveBuffer() const {
    if (FActiveRecord < 0 || FActiveRecord >= static_cast<int>(FBuffers.size())) return nullptr;
    return FBuffers[static_cast<std::size_t>(FActiveRecord)].get();
}

void TDataSet::ClearBuffers() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers() {
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::MoveBuffer(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    auto buffer = std::move(FBuffers[static_cast<std::size_t>(curIndex)]);
    FBuffers.erase(FBuffers.begin() + curIndex);
    FBuffers.insert(FBuffers.begin() + newIndex, std::move(buffer));
}

void TDataSet::SetCurrentRecord(int index) {
    if (FCurrentRecord == index) return;
    TRecordBuffer* buffer = FBuffers[static_cast<std::size_t>(index)].get();
    switch (GetBookmarkFlag(buffer)) {
        case bfCurrent:
        case bfInserted:
            InternalSetToRecord(buffer);
            break;
        case bfBOF:
            InternalFirst();
            break;
        case bfEOF:
            InternalLast();
            break;
    }
    FCurrentRecord = index;
}

void TDataSet::UpdateCursorPos() {
    if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord() {
    TGetMode mode = gmNext;
    if (FRecordCount > 0) {
        SetCurrentRecord(FRecordCount - 1);
        if (FState == dsInsert && FCurrentRecord == FActiveRecord && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            mode = gmCurrent;
    }
    bool ok = GetRecord(FBuffers[static_cast<std::size_t>(FRecordCount)].get(), mode, true) == grOK;
    if (ok) {
        if (FRecordCount == 0)
            ActivateBuffers();
        else if (FRecordCount < FBufferCount)
            ++FRecordCount;
        else
            MoveBuffer(0, FRecordCount);
        FCurrentRecord = FRecordCount - 1;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::GetPriorRecord() {
    if (FRecordCount > 0) SetCurrentRecord(0);
    bool ok = GetRecord(FBuffers[static_cast<std::size_t>(FRecordCount)].get(), gmPrior, true) == grOK;
    if (ok) {
        if (FRecordCount == 0) {
            ActivateBuffers();
        } else {
            MoveBuffer(FRecordCount, 0);
            if (FRecordCount < FBufferCount) {
                ++FRecordCount;
                ++FActiveRecord;
            }
        }
        FCurrentRecord = 0;
    } else {
        CursorPosChanged();
    }
    return ok;
}

void TDataSet::GetNextRecords() {
    while (FRecordCount < FBufferCount && GetNextRecord()) {
    }
}

void TDataSet::GetPriorRecords() {
    while (FRecordCount < FBufferCount && GetPriorRecord()) {
    }
}

// --- moving

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) {
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::First() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        FBOF = true;
        throw;
    }
    FBOF = true;
    Fire(AfterScroll);
}

void TDataSet::Last() {
    CheckBiDirectional();
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        FEOF = true;
        throw;
    }
    FEOF = true;
    Fire(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int moved = 0;
    Fire(BeforeScroll);
    if ((distance > 0 && !FEOF) || (distance < 0 && !FBOF)) {
        FBOF = false;
        FEOF = false;
        while (distance > 0) {
            if (FActiveRecord < FRecordCount - 1) {
                ++FActiveRecord;
            } else if (!GetNextRecord()) {
                FEOF = true;
                break;
            }
            --distance;
            ++moved;
        }
        while (distance < 0) {
            if (FActiveRecord > 0) {
                --FActiveRecord;
            } else if (!GetPriorRecord()) {
                FBOF = true;
                break;
            }
            ++distance;
            ++moved;
        }
        Fire(AfterScroll);
    }
    return moved;
}

void TDataSet::Resync(TResyncMode mode) {
    TRecordBuffer* spare = FBuffers[static_cast<std::size_t>(FRecordCount)].get();
    if ((mode & rmExact) != 0) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, this);
    } else {
        UpdateCursorPos();
        if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
            GetRecord(spare, gmPrior, false) != grOK) {
            ClearBuffers();
            return;
        }
    }
    int count = (mode & rmCenter) != 0 ? (FBufferCount - 1) / 2 : FActiveRecord;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    while (count > 0 && GetPriorRecord()) --count;
    GetNextRecords();
    GetPriorRecords();
}

void TDataSet::Refresh() {
    Fire(BeforeRefresh);
    CheckBrowseMode();
    UpdateCursorPos();
    try {
        InternalRefresh();
    } catch (...) {
        Resync(0);
        throw;
    }
    Resync(0);
    Fire(AfterRefresh);
}

int TDataSet::GetRecNo() { return -1; }
void TDataSet::SetRecNo(int) {}

// --- bookmarks

bool TDataSet::BookmarkAvailable() {
    return (FState == dsBrowse || FState == dsEdit || FState == dsInsert) && !IsEmpty() &&
           GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() {
    if (!BookmarkAvailable() || FBookmarkSize <= 0) return {};
    TBookmark bookmark(static_cast<std::size_t>(FBookmarkSize), 0);
    GetBookmarkData(ActiveBuffer(), bookmark.data());
    return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    if (bookmark.empty()) return;
    CheckBrowseMode();
    Fire(BeforeScroll);
    InternalGotoBookmark(bookmark.data());
    Resync(rmExact | rmCenter);
    Fire(AfterScroll);
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }
int TDataSet::CompareBookmarks(const TBookmark&, const TBookmark&) { return 0; }

bool TDataSet::Locate(const std::string&, const Variant&, TLocateOptions) { return false; }

}  // namespace veskin
