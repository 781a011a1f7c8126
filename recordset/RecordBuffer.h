#pragma once
// Record buffers and the vocabulary of fetching records and bookmarks.
#include <cstdint>
#include <vector>

namespace veskin {

// One record as a data set keeps it. The data set's subclass decides what a buffer
// holds: it creates them in AllocRecordBuffer and reads them in its own hooks.
class TRecordBuffer {
public:
    virtual ~TRecordBuffer() = default;
};

enum TGetMode { gmCurrent,
                gmNext,
                gmPrior };
enum TGetResult { grOK,
                  grBOF,
                  grEOF,
                  grError };
enum TBookmarkFlag { bfCurrent,
                     bfBOF,
                     bfEOF,
                     bfInserted };

// The bytes of a bookmark (BookmarkSize of them); empty means "no bookmark".
using TBookmark = std::vector<std::uint8_t>;

}  // namespace veskin
