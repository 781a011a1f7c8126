#pragma once
// A small data set over a vector of records, for exercising the record-set base.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "recordset/DataSet.h"
#include "recordset/DatabaseError.h"
#include "recordset/Field.h"
#include "rtl/Variant.h"

namespace veskin::test {

struct MemBuffer : TRecordBuffer {
    int Index = -1;
    std::vector<Variant> Values;
    TBookmarkFlag Flag = bfCurrent;
};

struct MemColumn {
    std::string Name;
    TFieldType Type;
    int Size = 0;
    TFieldAttributes Attributes;
};

class MemDataSet : public TDataSet {
public:
    explicit MemDataSet(std::vector<MemColumn> columns, TComponent* owner = nullptr)
        : TDataSet(owner), Columns(std::move(columns)) {
        SetBookmarkSize(4);
    }
    ~MemDataSet() override { CloseForDestruction(); }

    std::vector<MemColumn> Columns;
    std::vector<std::vector<Variant>> Records;
    bool ReadOnlyFlag = false;
    bool FailOpen = false;
    bool RefuseInsert = false;
    int FailFetchAt = -1;  // a gmNext landing on this index raises
    int OpenCount = 0, CloseCount = 0, Allocs = 0, Frees = 0, Fetches = 0;
    int* ClosesOut = nullptr;  // counts closes past the data set's lifetime

    using TDataSet::ActiveBuffer;

protected:
    void InternalOpen() override {
        ++OpenCount;
        if (FailOpen) throw EDatabaseError("open failed");
        FCursor = -1;
        FOpen = true;
        InternalInitFieldDefs();
        if (DefaultFields()) CreateFields();
        BindFields(true);
    }
    void InternalClose() override {
        ++CloseCount;
        if (ClosesOut != nullptr) ++*ClosesOut;
        FOpen = false;
    }
    bool IsCursorOpen() const override { return FOpen; }
    void InternalInitFieldDefs() override {
        FieldDefs().Clear();
        for (const MemColumn& c : Columns) {
            TFieldDef* def = FieldDefs().Add(AnsiToWide(c.Name), c.Type, c.Size);
            def->SetAttributes(c.Attributes);
        }
    }

    std::unique_ptr<TRecordBuffer> AllocRecordBuffer() override {
        ++Allocs;
        return std::make_unique<MemBuffer>();
    }
    void FreeRecordBuffer(std::unique_ptr<TRecordBuffer>& buffer) override {
        ++Frees;
        buffer.reset();
    }
    TGetResult GetRecord(TRecordBuffer* buffer, TGetMode mode, bool) override {
        ++Fetches;
        const int count = static_cast<int>(Records.size());
        if (mode == gmNext) FCursor = FCursor >= count ? count : FCursor + 1;
        if (mode == gmPrior) FCursor = FCursor < 0 ? -1 : FCursor - 1;
        if (mode == gmNext && FCursor == FailFetchAt) throw EDatabaseError("fetch failed");
        if (FCursor < 0) return grBOF;
        if (FCursor >= count) return grEOF;
        auto* b = static_cast<MemBuffer*>(buffer);
        b->Index = FCursor;
        b->Values = Records[static_cast<std::size_t>(FCursor)];
        b->Flag = bfCurrent;
        return grOK;
    }
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = static_cast<int>(Records.size()); }
    void InternalSetToRecord(TRecordBuffer* buffer) override { FCursor = static_cast<MemBuffer*>(buffer)->Index; }
    void InternalInitRecord(TRecordBuffer* buffer) override {
        static_cast<MemBuffer*>(buffer)->Values.assign(Columns.size(), Variant::Null());
    }

    void GetBookmarkData(TRecordBuffer* buffer, void* data) override {
        std::int32_t index = static_cast<MemBuffer*>(buffer)->Index;
        std::memcpy(data, &index, 4);
    }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer* buffer) override { return static_cast<MemBuffer*>(buffer)->Flag; }
    void SetBookmarkFlag(TRecordBuffer* buffer, TBookmarkFlag flag) override {
        static_cast<MemBuffer*>(buffer)->Flag = flag;
    }
    void SetBookmarkData(TRecordBuffer* buffer, const void* data) override {
        std::int32_t index = 0;
        std::memcpy(&index, data, 4);
        static_cast<MemBuffer*>(buffer)->Index = index;
    }
    void InternalGotoBookmark(const void* bookmark) override {
        std::int32_t index = 0;
        std::memcpy(&index, bookmark, 4);
        FCursor = index;
    }
    int GetRecordCount() override { return Active() ? static_cast<int>(Records.size()) : 0; }

public:
    bool BookmarkValid(const TBookmark& bookmark) override {
        if (bookmark.size() != 4) return false;
        std::int32_t index = 0;
        std::memcpy(&index, bookmark.data(), 4);
        return index >= 0 && index < static_cast<int>(Records.size());
    }
    int GetRecNo() override {
        auto* b = static_cast<MemBuffer*>(ActiveBuffer());
        return (b == nullptr || IsEmpty()) ? 0 : b->Index + 1;
    }

protected:
    bool ReadFieldData(const TField* field, void* data) override {
        const Variant& v = Buffer()->Values.at(static_cast<std::size_t>(field->FieldNo() - 1));
        if (v.IsNull()) return false;
        if (data == nullptr) return true;
        switch (field->DataType()) {
            case ftSmallint: *static_cast<std::int16_t*>(data) = static_cast<std::int16_t>(v.AsInteger()); break;
            case ftWord: *static_cast<std::uint16_t*>(data) = static_cast<std::uint16_t>(v.AsInteger()); break;
            case ftInteger: *static_cast<std::int32_t*>(data) = v.AsInteger(); break;
            case ftLargeint: *static_cast<std::int64_t*>(data) = v.AsInt64(); break;
            case ftBoolean: *static_cast<std::int16_t*>(data) = v.AsBoolean() ? 1 : 0; break;
            case ftFloat: *static_cast<double*>(data) = v.AsDouble(); break;
            case ftDateTime: *static_cast<double*>(data) = v.AsDateTime(); break;
            case ftWideString: *static_cast<WideString*>(data) = v.AsWideString(); break;
            case ftVariant: *static_cast<Variant*>(data) = v; break;
            case ftInterface: *static_cast<IInterfacePtr*>(data) = v.AsInterface(); break;
            default: throw std::logic_error("unexpected field type");
        }
        return true;
    }
    void WriteFieldData(TField* field, const void* data) override {
        Variant v = Variant::Null();
        if (data != nullptr) {
            switch (field->DataType()) {
                case ftSmallint: v = Variant::FromSmallint(*static_cast<const std::int16_t*>(data)); break;
                case ftWord: v = Variant::FromWord(*static_cast<const std::uint16_t*>(data)); break;
                case ftInteger: v = Variant::FromInteger(*static_cast<const std::int32_t*>(data)); break;
                case ftLargeint: v = Variant::FromInt64(*static_cast<const std::int64_t*>(data)); break;
                case ftBoolean: v = Variant::FromBoolean(*static_cast<const std::int16_t*>(data) != 0); break;
                case ftFloat: v = Variant::FromDouble(*static_cast<const double*>(data)); break;
                case ftDateTime: v = Variant::FromDate(*static_cast<const double*>(data)); break;
                case ftWideString: v = Variant::FromOleStr(*static_cast<const WideString*>(data)); break;
                case ftVariant: v = *static_cast<const Variant*>(data); break;
                case ftInterface: v = Variant::FromUnknown(*static_cast<const IInterfacePtr*>(data)); break;
                default: throw std::logic_error("unexpected field type");
            }
        }
        Buffer()->Values.at(static_cast<std::size_t>(field->FieldNo() - 1)) = v;
    }

    bool GetCanModify() override { return !ReadOnlyFlag; }
    void InternalInsert() override {
        if (RefuseInsert) DatabaseError("Cannot perform this operation on an open dataset");
    }
    void InternalPost() override {
        TDataSet::InternalPost();
        MemBuffer* b = Buffer();
        if (State() == dsEdit) {
            Records.at(static_cast<std::size_t>(b->Index)) = b->Values;
            return;
        }
        InsertAt(b, b->Flag == bfEOF);
    }
    void InternalDelete() override {
        Records.erase(Records.begin() + Buffer()->Index);
    }
    void InternalAddRecord(TRecordBuffer* buffer, bool append) override {
        InsertAt(static_cast<MemBuffer*>(buffer), append);
    }

private:
    MemBuffer* Buffer() const { return static_cast<MemBuffer*>(ActiveBuffer()); }
    void InsertAt(MemBuffer* b, bool append) {
        int at = append || b->Flag == bfEOF ? static_cast<int>(Records.size())
                 : b->Flag == bfBOF         ? 0
                                            : b->Index;
        Records.insert(Records.begin() + at, b->Values);
        FCursor = at;
    }

    bool FOpen = false;
    int FCursor = -1;
};

}  // namespace veskin::test
