#include "platform/WbemNamespaceClass.h"

namespace veskin {

namespace {

// The namespaces directly below parent, by their last part ("root\cimv2" -> "cimv2").
std::vector<WideString> ChildNames(const WbemRepository& repository, const WideString& parent) {
    std::vector<WideString> children;
    const WideString prefix = parent + u"\\";
    for (const auto& name : repository.NamespaceNames()) {
        if (name.size() <= prefix.size() || !SameTextW(name.substr(0, prefix.size()), prefix)) continue;
        WideString rest = name.substr(prefix.size());
        if (rest.find(u'\\') == WideString::npos) children.push_back(rest);
    }
    return children;
}

}  // namespace

void AddNamespaceClasses(const WbemRepositoryPtr& repository) {
    const WbemClassPtr systemClass = WbemClass::Make(u"__SystemClass", {}, {}, true);
    const WbemClassPtr nsClass = WbemClass::Make(
        u"__NAMESPACE",
        {PropertyDef(u"Name", wbemCimtypeString, false,
                     {WbemQualifierDef{u"CIMTYPE", Variant(WideString(u"string"))}, KeyQualifier()})},
        {u"__SystemClass"});
    // The sources hold the repository weakly: it owns them.
    std::weak_ptr<WbemRepository> weak = repository;
    for (const auto& name : repository->NamespaceNames()) {
        WbemNamespacePtr ns = repository->FindNamespace(name);
        ns->AddClass(systemClass, nullptr);
        ns->AddClass(nsClass, std::make_shared<ProviderInstanceSource>([weak, nsClass, name]() -> WbemObjectProducer {
                         std::vector<WbemObjectPtr> objects;
                         if (auto repo = weak.lock()) {
                             for (const auto& child : ChildNames(*repo, name)) {
                                 auto obj = WbemObject::NewInstance(nsClass);
                                 obj->SetValue(u"Name", Variant(child));
                                 objects.push_back(std::move(obj));
                             }
                         }
                         auto next = std::make_shared<std::size_t>(0);
                         return [objects = std::move(objects), next](WbemObjectPtr& out) -> HRESULT {
                             if (*next >= objects.size()) return S_FALSE;
                             out = objects[(*next)++];
                             return S_OK;
                         };
                     }));
    }
}

}  // namespace veskin
