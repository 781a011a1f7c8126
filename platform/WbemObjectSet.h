#pragma once
// The result of a query (ISWbemObjectSet). Lazy sets wrap a producer that makes each
// object only when the enumerator asks for it; ready sets hold their objects.
#include <functional>
#include <vector>

#include "platform/WbemObject.h"

namespace veskin {

// Puts the next object into out and answers S_OK, S_FALSE at the end, or a failure.
using WbemObjectProducer = std::function<HRESULT(WbemObjectPtr& out)>;
// Makes a producer that starts at the first object (one per enumerator).
using WbemObjectProducerFactory = std::function<WbemObjectProducer()>;

class WbemObjectSet : public ISWbemObjectSet {
public:
    // A set whose objects are made as the enumerator reaches them.
    explicit WbemObjectSet(WbemObjectProducerFactory factory);
    // A set of objects made beforehand.
    explicit WbemObjectSet(std::vector<WbemObjectPtr> objects);

    // The result of a query: with wbemFlagReturnImmediately in flags a lazy set over
    // factory, otherwise a set of every object made now (a failure fails the query).
    static HRESULT ForQuery(WbemObjectProducerFactory factory, std::int32_t flags, ISWbemObjectSetPtr& objectSet);
    // Runs the producer to its end: S_OK with every object, or the producer's failure.
    static HRESULT Collect(const WbemObjectProducerFactory& factory,
                           std::vector<WbemObjectPtr>& objects);

    // An IEnumVARIANT whose elements are dispatch variants of ISWbemObject.
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;
    // Counts by enumerating (for a lazy set this produces every object once more).
    HRESULT get_Count(std::int32_t& count) override;

private:
    WbemObjectProducerFactory FFactory;
};

}  // namespace veskin
