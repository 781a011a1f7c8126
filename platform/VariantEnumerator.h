#pragma once
// An IEnumVARIANT over a producer function: each Next asks the producer for the next
// element only then, so a reader that stops early never pays for the rest.
#include <functional>
#include <vector>

#include "platform/WbemScripting.h"

namespace veskin {

// Puts the next element into out and answers S_OK, S_FALSE at the end (out untouched),
// or a failure code, which Next passes on.
using VariantProducer = std::function<HRESULT(Variant& out)>;
// Makes a fresh producer that starts at the first element (used at creation and by Reset).
using VariantProducerFactory = std::function<VariantProducer()>;

class VariantEnumerator : public IEnumVARIANT {
public:
    explicit VariantEnumerator(VariantProducerFactory factory);

    // Over a fixed list of elements.
    static std::shared_ptr<VariantEnumerator> OverList(std::vector<Variant> elements);

    HRESULT Next(std::uint32_t count, Variant* elements, std::uint32_t* fetched) override;
    HRESULT Skip(std::uint32_t count) override;
    HRESULT Reset() override;

private:
    VariantProducerFactory FFactory;
    VariantProducer FProducer;
    bool FEnded = false;
};

}  // namespace veskin
