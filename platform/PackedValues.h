#pragma once
// The property values of one object packed into one block: text as UTF-8, scalars in
// the bytes their type needs, and only arrays and objects as whole variants beside it.
// A result of many objects then holds about the bytes of its values, instead of a
// variant and a heap string per value; each value becomes a variant again when read.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/Variant.h"

namespace veskin {

class PackedValues {
public:
    // Collects the values of one object in any order, then packs them. One builder can
    // serve object after object (Finish starts it afresh), reusing its buffers.
    class Builder {
    public:
        // count values, every one null.
        void Reset(std::size_t count);
        // Text given as UTF-8, read back as UTF-16 text (varOleStr).
        void SetText(std::size_t index, std::string_view utf8);
        // Any value; scalars and UTF-16 text are packed, the rest kept whole.
        void Set(std::size_t index, const Variant& value);
        // The value set at index so far (null when none).
        Variant Get(std::size_t index) const;
        std::shared_ptr<const PackedValues> Finish();

    private:
        struct Slot {
            std::uint32_t Offset = 0;  // into FBytes: the tag, then the payload
            std::uint32_t Size = 0;    // 0: null
        };
        std::vector<Slot> FSlots;
        std::string FBytes;
        std::vector<Variant> FWhole;
    };

    std::size_t Count() const { return FCount; }
    Variant Get(std::size_t index) const;

private:
    struct Made {};  // only a builder makes a block

public:
    explicit PackedValues(Made) {}

private:
    // The tag and payload of value index.
    std::string_view Packed(std::size_t index) const;

    std::size_t FCount = 0;
    // FCount + 1 offsets (std::uint32_t) into the bytes after them, then the values.
    std::unique_ptr<char[]> FData;
    std::vector<Variant> FWhole;  // arrays, objects and other values kept whole
};

using PackedValuesPtr = std::shared_ptr<const PackedValues>;

}  // namespace veskin
